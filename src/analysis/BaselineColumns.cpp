#include "analysis/BaselineColumns.h"

#include "analysis/MapAnalysis.h"
#include "base/XLists.h"
#include "tree/TreeGridModel.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

// Those of the unit columns after the first, the retained size's included.
constexpr int UnitColumnStrings = TMapAnalysis::RetainedSizeColumn;
constexpr int OldSizeItem = TBaselineColumns::OldSizeColumn - 1;
constexpr int ChangeItem = TBaselineColumns::ChangeColumn - 1;

QString SignedText(qint64 value)
{
    return value > 0 ? u'+' + QString::number(value) : QString::number(value);
}

bool HoldsPlaceholder(const TITreeNode *Node)
{
    return Node->Count() == 1 && Node->GetFirstChild()->Text() == u"$";
}

void SetValues(TITreeNode *Node, qint64 OldSize, bool OnlyInBaseline)
{
    TXStringList *strings = Node->ColumnStrings();
    while (strings->Count() < UnitColumnStrings)
        strings->Add(QString());
    const QString change = SignedText(Node->Tag() - OldSize);
    if (strings->Count() == UnitColumnStrings) {
        strings->AddData(QString::number(OldSize), OldSize);
        strings->AddData(change, OnlyInBaseline);
    } else {
        strings->Put(OldSizeItem, QString::number(OldSize));
        strings->SetData(OldSizeItem, OldSize);
        strings->Put(ChangeItem, change);
        strings->SetData(ChangeItem, OnlyInBaseline);
    }
}

// Rows of size 0 for what only the baseline has. A unit row carries the unit columns' strings as a
// unit without form and compiled unit file does.
TITreeNode *AddBaselineOnlyUnit(TITreeNodes &Items, const QString &Text, qint64 OldSize)
{
    TITreeNode *row = Items.AddRoot();
    row->SetText(Text);
    TXStringList *strings = row->ColumnStrings();
    for (const QString &text : {QString(), QString(), QString(), u"-"_s})
        strings->Add(text);
    SetValues(row, OldSize, true);
    return row;
}

TITreeNode *AddBaselineOnlyChild(TITreeNode *Parent, const QString &Text, qint64 OldSize)
{
    TITreeNode *row = Parent->AddChild(Text);
    SetValues(row, OldSize, true);
    return row;
}

} // namespace

TBaselineColumns::TBaselineColumns()
    : FGrid(std::make_unique<TTreeGridModel>()), FAnalysis(std::make_unique<TMapAnalysis>(*FGrid))
{
    TMapAnalysis::SetupUnitColumns(*FGrid);
    // A missing project file only matters for form sizes, which a comparison does not show; the
    // error that ends a run is kept in ErrorMessage.
    FAnalysis->OnMessage = [](TMapAnalysis *, const QString &) {};
}

TBaselineColumns::~TBaselineColumns() = default;

bool TBaselineColumns::Load(const QString &MapFileName)
{
    std::optional<TMapAnalysis::TRunInput> input = PrepareLoad(MapFileName);
    return input && FinishLoad(TMapAnalysis::Read(std::move(*input)));
}

std::optional<TMapAnalysis::TRunInput> TBaselineColumns::PrepareLoad(const QString &MapFileName)
{
    FUnitRows.clear();
    const QString folder = QDir::currentPath();
    std::optional<TMapAnalysis::TRunInput> input = FAnalysis->Prepare(MapFileName, std::nullopt);
    QDir::setCurrent(folder);
    return input;
}

bool TBaselineColumns::FinishLoad(TMapAnalysisResult Result)
{
    if (!FAnalysis->Apply(std::move(Result)))
        return false;
    for (TITreeNode *row = FGrid->Items().GetFirstNode(); row; row = row->NextSibling())
        FUnitRows.insert(row->Text().toCaseFolded(), row);
    return true;
}

void TBaselineColumns::SetGrouping(TSymbolGrouping Grouping)
{
    FAnalysis->SetGrouping(Grouping);
}

const QString &TBaselineColumns::MapFileName() const
{
    return FAnalysis->MapFileName();
}

const QString &TBaselineColumns::ErrorMessage() const
{
    return FAnalysis->ErrorMessage();
}

void TBaselineColumns::AddColumns(TTreeGridModel &Grid)
{
    if (Grid.Columns().Count() > OldSizeColumn)
        return;
    for (const QString &caption : {u"Old size"_s, u"Change"_s}) {
        TITVColumn *column = Grid.Columns().Add();
        column->SetCaption(caption);
        column->SetWidth(100);
        column->SetAlignment(Qt::AlignRight);
        column->SetSortKind(iskNumeric);
    }
}

void TBaselineColumns::RemoveColumns(TTreeGridModel &Grid)
{
    const bool sortedByBaseline = Grid.SortColumnIndex() >= OldSizeColumn;
    while (Grid.Columns().Count() > OldSizeColumn)
        Grid.Columns().Delete(Grid.Columns().Count() - 1);
    // Mended: the rows stayed in the order of a column that is gone, with no sort arrow anywhere.
    if (sortedByBaseline)
        TMapAnalysis::SortByDefaultColumn(Grid);
}

bool TBaselineColumns::HasBaselineValues(const TITreeNode *Node)
{
    const TXStringList *strings = Node->ColumnStringsIfAny();
    return strings && strings->Count() > ChangeItem;
}

qint64 TBaselineColumns::OldSize(const TITreeNode *Node)
{
    return HasBaselineValues(Node) ? Node->ColumnStringsIfAny()->GetData(OldSizeItem) : 0;
}

qint64 TBaselineColumns::Change(const TITreeNode *Node)
{
    return HasBaselineValues(Node) ? Node->Tag() - OldSize(Node) : 0;
}

bool TBaselineColumns::OnlyInBaseline(const TITreeNode *Node)
{
    return HasBaselineValues(Node) && Node->ColumnStringsIfAny()->GetData(ChangeItem) != 0;
}

void TBaselineColumns::Hide(TTreeGridModel &Grid)
{
    Grid.BeginUpdate();
    std::vector<TITreeNode *> baselineOnly;
    for (TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->GetNext()) {
        if (!HasBaselineValues(node))
            continue;
        if (OnlyInBaseline(node)) {
            if (!node->Parent() || !OnlyInBaseline(node->Parent()))
                baselineOnly.push_back(node);
            continue;
        }
        TXStringList *strings = node->ColumnStrings();
        while (strings->Count() > UnitColumnStrings)
            strings->Delete(strings->Count() - 1);
    }
    for (TITreeNode *node : baselineOnly)
        node->Destroy();
    Grid.EndUpdate();
}

void TBaselineColumns::Show(TTreeGridModel &Grid)
{
    Hide(Grid);
    Grid.BeginUpdate();
    FMaxOldUnitSize = 1;
    FMaxUnitChange = 1;
    for (const TUnitChange &unit : CompareUnits(*FGrid, Grid)) {
        FMaxOldUnitSize = std::max(FMaxOldUnitSize, unit.OldSize);
        FMaxUnitChange = std::max(FMaxUnitChange, qAbs(unit.Delta()));
        if (unit.NewRows.empty()) {
            TITreeNode *row = AddBaselineOnlyUnit(Grid.Items(), unit.Name, unit.OldSize);
            if (FAnalysis->ShowRoot())
                row->AddChild(u"$"_s);
            continue;
        }
        // The old size goes to the first row of the unit, so that the changes of its rows add up.
        for (TITreeNode *row : unit.NewRows) {
            SetValues(row, row == unit.NewRows.front() ? unit.OldSize : 0, false);
            if (row->HasChildren() && !HoldsPlaceholder(row))
                ShowSymbols(row);
        }
    }
    Grid.EndUpdate();
}

const TITreeNode *TBaselineColumns::BaselineTree(const QString &Text)
{
    TITreeNode *row = FUnitRows.value(Text.toCaseFolded());
    if (row)
        FAnalysis->AddSymbolRowsOf(row);
    return row;
}

bool TBaselineColumns::AddSymbolRowsOf(TMapAnalysis &Current, TITreeNode *Unit)
{
    if (!HoldsPlaceholder(Unit))
        return false;
    if (OnlyInBaseline(Unit))
        Unit->DeleteChildren();
    else
        Current.AddSymbolRowsOf(Unit);
    ShowSymbols(Unit);
    return true;
}

// Rows are paired by text within their parents, the k-th row of a text with the k-th of the same
// text in the baseline (overloads keep their order by address), so that the changes of the rows
// under a parent add up to the parent's change.
void TBaselineColumns::ShowSymbols(TITreeNode *Unit)
{
    struct TPair
    {
        TITreeNode *Current;
        const TITreeNode *Baseline; // none: the row is new
    };
    std::vector<TPair> pending = {{Unit, BaselineTree(Unit->Text())}};
    while (!pending.empty()) {
        const TPair pair = pending.back();
        pending.pop_back();
        QHash<QString, std::vector<const TITreeNode *>> baselineChildren;
        if (pair.Baseline)
            for (const TITreeNode *child = pair.Baseline->GetFirstChild(); child;
                 child = child->NextSibling())
                baselineChildren[child->Text()].push_back(child);
        QHash<QString, size_t> used;
        for (TITreeNode *child = pair.Current->GetFirstChild(); child; child = child->NextSibling()) {
            const auto same = baselineChildren.constFind(child->Text());
            const size_t k = used[child->Text()]++;
            const TITreeNode *match =
                same != baselineChildren.cend() && k < same->size() ? (*same)[k] : nullptr;
            SetValues(child, match ? match->Tag() : 0, false);
            pending.push_back({child, match});
        }
        if (!pair.Baseline)
            continue;
        for (const TITreeNode *child = pair.Baseline->GetFirstChild(); child; child = child->NextSibling()) {
            size_t &matched = used[child->Text()];
            if (matched > 0) {
                --matched;
                continue;
            }
            pending.push_back({AddBaselineOnlyChild(pair.Current, child->Text(), child->Tag()), child});
        }
    }
}
