#include "analysis/BuildComparison.h"

#include "analysis/MapAnalysis.h"
#include "tree/TreeGridModel.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// UTF-16 code units reordered so that comparing them compares code points, which is the byte
// order of UTF-8: surrogates (the code points above U+FFFF) come after U+E000..U+FFFF.
char16_t CodePointOrder(char16_t c)
{
    if (c >= 0xE000)
        return char16_t(c - 0x800);
    if (c >= 0xD800)
        return char16_t(c + 0x2000);
    return c;
}

int CompareUtf8Order(QStringView A, QStringView B)
{
    const qsizetype common = std::min(A.size(), B.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t a = A[i].unicode();
        const char16_t b = B[i].unicode();
        if (a != b)
            return CodePointOrder(a) < CodePointOrder(b) ? -1 : 1;
    }
    return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}

TUnitStatus StatusOf(const TUnitChange &Unit)
{
    if (Unit.OldRows.empty())
        return TUnitStatus::Added;
    if (Unit.NewRows.empty())
        return TUnitStatus::Removed;
    if (Unit.Delta() > 0)
        return TUnitStatus::Grown;
    return Unit.Delta() < 0 ? TUnitStatus::Shrunk : TUnitStatus::Unchanged;
}

struct TPathSizes
{
    qint64 Old = 0;
    qint64 New = 0;
};
using TSymbolSizes = QHash<QString, TPathSizes>;

// Adds every row's own size below Unit to its path: the Tag less the children's Tags, so a symbol
// row that later symbols made a parent ('TFoo' before 'TFoo.Bar') keeps its own bytes. Iterative:
// hostile names nest thousands of levels deep.
void AddRowSizes(const TITreeNode *Unit, TSymbolSizes &Sizes, qint64 TPathSizes::*Side)
{
    struct TPending
    {
        const TITreeNode *Node;
        QString Path;
    };
    std::vector<TPending> pending;
    for (const TITreeNode *child = Unit->GetFirstChild(); child; child = child->NextSibling())
        pending.push_back({child, child->Text()});
    while (!pending.empty()) {
        TPending entry = std::move(pending.back());
        pending.pop_back();
        qint64 own = entry.Node->Tag();
        for (const TITreeNode *child = entry.Node->GetFirstChild(); child; child = child->NextSibling()) {
            own -= child->Tag();
            pending.push_back({child, entry.Path + u'.' + child->Text()});
        }
        Sizes[entry.Path].*Side += own;
    }
}

// Builds the row's tree when it still holds the placeholder, walks it and folds it again.
void AddUnitSizes(TMapAnalysis &Analysis, TITreeNode *Row, TSymbolSizes &Sizes, qint64 TPathSizes::*Side)
{
    const bool built = Analysis.AddSymbolRowsOf(Row);
    AddRowSizes(Row, Sizes, Side);
    if (built) {
        Row->DeleteChildren();
        Row->AddChild(u"$"_s);
    }
}

// Rows of one name are opened by that name, so each spelling is walked once.
void AddUnitSizes(TMapAnalysis &Analysis, const std::vector<TITreeNode *> &Rows, TSymbolSizes &Sizes,
                  qint64 TPathSizes::*Side)
{
    QStringList walked;
    for (TITreeNode *row : Rows) {
        if (walked.contains(row->Text()))
            continue;
        walked << row->Text();
        AddUnitSizes(Analysis, row, Sizes, Side);
    }
}

} // namespace

QString UnitStatusName(TUnitStatus Status)
{
    switch (Status) {
    case TUnitStatus::Added:
        return u"added"_s;
    case TUnitStatus::Removed:
        return u"removed"_s;
    case TUnitStatus::Grown:
        return u"grown"_s;
    case TUnitStatus::Shrunk:
        return u"shrunk"_s;
    case TUnitStatus::Unchanged:
        break;
    }
    return u"unchanged"_s;
}

bool ComesFirstByChange(const TSizeChange &A, const TSizeChange &B)
{
    const qint64 a = qAbs(A.Delta());
    const qint64 b = qAbs(B.Delta());
    if (a != b)
        return a > b;
    return CompareUtf8Order(A.Name, B.Name) < 0;
}

void SortByChange(std::vector<TSizeChange> &Changes)
{
    std::sort(Changes.begin(), Changes.end(), ComesFirstByChange);
}

void SortByChange(std::vector<TUnitChange> &Changes)
{
    std::sort(Changes.begin(), Changes.end(), ComesFirstByChange);
}

std::vector<TUnitChange> CompareUnits(const TTreeGridModel &Old, const TTreeGridModel &New)
{
    std::vector<TUnitChange> units;
    QHash<QString, size_t> byName;
    const auto unitNamed = [&](const TITreeNode *row) -> TUnitChange & {
        const QString key = row->Text().toCaseFolded();
        const auto found = byName.constFind(key);
        if (found != byName.cend())
            return units[*found];
        byName.insert(key, units.size());
        units.emplace_back();
        return units.back();
    };
    const auto addRows = [&](const TTreeGridModel &grid, std::vector<TITreeNode *> TUnitChange::*rows,
                             qint64 TSizeChange::*size) {
        for (TITreeNode *row = grid.Items().GetFirstNode(); row; row = row->NextSibling()) {
            TUnitChange &unit = unitNamed(row);
            if ((unit.*rows).empty())
                unit.Name = row->Text();
            (unit.*rows).push_back(row);
            unit.*size += row->Tag();
        }
    };
    // The new build's spelling wins: its rows come second.
    addRows(Old, &TUnitChange::OldRows, &TSizeChange::OldSize);
    addRows(New, &TUnitChange::NewRows, &TSizeChange::NewSize);
    for (TUnitChange &unit : units)
        unit.Status = StatusOf(unit);
    SortByChange(units);
    return units;
}

std::vector<TSizeChange> CompareUnitSymbols(TMapAnalysis &Old, TMapAnalysis &New, const TUnitChange &Unit)
{
    TSymbolSizes sizes;
    AddUnitSizes(Old, Unit.OldRows, sizes, &TPathSizes::Old);
    AddUnitSizes(New, Unit.NewRows, sizes, &TPathSizes::New);
    std::vector<TSizeChange> changes;
    for (auto it = sizes.cbegin(); it != sizes.cend(); ++it)
        if (it->Old != it->New)
            changes.push_back({it.key(), it->Old, it->New});
    SortByChange(changes);
    return changes;
}
