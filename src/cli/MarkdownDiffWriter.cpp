#include "cli/DiffWriter.h"

#include "cli/OutputText.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// A GitHub comment holds at most 65,536 characters: the rows stop well before, and the rest are
// counted instead.
constexpr qsizetype CommentBudget = 60000;
constexpr int MaxUnitRows = 50;
constexpr size_t MaxSymbolRows = 100;
constexpr size_t MaxChildRows = 8;

struct TUnitSymbolChange
{
    QString Unit;
    TSizeChange Symbol;
};

bool LargerChange(const TUnitSymbolChange &A, const TUnitSymbolChange &B)
{
    return ComesFirstByChange(A.Symbol, B.Symbol);
}

QString PercentChange(qint64 OldSize, qint64 NewSize)
{
    if (OldSize == 0)
        return {};
    const double percent = 100.0 * double(NewSize - OldSize) / double(OldSize);
    return u", %1%2 %"_s.arg(percent > 0 ? u"+"_s : QString(), QString::number(percent, 'f', 2));
}

class TMarkdownDiffWriter : public TDiffWriter
{
public:
    using TDiffWriter::TDiffWriter;

    void Begin(const TDiffTotals &Totals) override
    {
        const qint64 delta = Totals.NewSize - Totals.OldSize;
        Put(u"### Code size: %1 \u2192 %2 bytes (%3%4)\n\n"_s.arg(
            Thousands(Totals.OldSize), Thousands(Totals.NewSize), SignedThousands(delta),
            PercentChange(Totals.OldSize, Totals.NewSize)));
        if (Totals.ChangedUnits == 0) {
            Put(u"No unit changed (%1 units).\n"_s.arg(Totals.Units));
            return;
        }
        Put(u"%1 of %2 units changed.\n\n"_s.arg(Totals.ChangedUnits).arg(Totals.Units));
        Put(u"| Unit | Old size | New size | Change | Status |\n|:--|--:|--:|--:|:--|\n"_s);
    }

    void Unit(const TUnitChange &Unit, const std::vector<TSizeChange> *Symbols) override
    {
        if (Symbols)
            for (const TSizeChange &symbol : *Symbols)
                KeepSymbol({Unit.Name, symbol});
        if (Unit.Status == TUnitStatus::Unchanged)
            return;
        const QString row = u"| %1 | %2 | %3 | %4 | %5 |\n"_s.arg(
            MarkdownCell(Unit.Name), Thousands(Unit.OldSize), Thousands(Unit.NewSize),
            SignedThousands(Unit.Delta()), UnitStatusName(Unit.Status));
        if (FUnitRows < MaxUnitRows && FLength + row.size() < CommentBudget / 2) {
            Put(row);
            ++FUnitRows;
        } else {
            ++FUnitsLeftOut;
            FDeltaLeftOut += Unit.Delta();
        }
    }

    void Files(qint64 OldSize, qint64 NewSize, const std::vector<TPartChange> &Parts) override
    {
        FFileSizes = {OldSize, NewSize};
        FFileParts = Parts;
        FFiles = true;
    }

    void End(const TDiffTotals &) override
    {
        if (FUnitsLeftOut)
            Put(u"\n\u2026 and %1 more changed units (%2 bytes in all).\n"_s.arg(FUnitsLeftOut)
                    .arg(SignedThousands(FDeltaLeftOut)));
        if (FFiles)
            PutFiles();
        if (FSymbolCount == 0)
            return;
        TrimSymbols();
        Put(u"\n<details><summary>Largest symbol changes (%1 of %2)</summary>\n\n"_s.arg(FSymbols.size())
                .arg(FSymbolCount));
        Put(u"| Unit | Symbol | Old size | New size | Change |\n|:--|:--|--:|--:|--:|\n"_s);
        for (const TUnitSymbolChange &change : FSymbols) {
            const QString row = u"| %1 | %2 | %3 | %4 | %5 |\n"_s.arg(
                MarkdownCell(change.Unit), MarkdownCell(change.Symbol.Name), Thousands(change.Symbol.OldSize),
                Thousands(change.Symbol.NewSize), SignedThousands(change.Symbol.Delta()));
            if (FLength + row.size() >= CommentBudget)
                break;
            Put(row);
        }
        Put(u"\n</details>\n"_s);
    }

private:
    // The whole files after the units, before the symbols: a part's changed children follow it,
    // marked, since a Markdown cell cannot be indented.
    void PutFiles()
    {
        const auto [oldSize, newSize] = FFileSizes;
        Put(u"\n### File size: %1 \u2192 %2 bytes (%3%4)\n\n"_s.arg(
            Thousands(oldSize), Thousands(newSize), SignedThousands(newSize - oldSize),
            PercentChange(oldSize, newSize)));
        if (FFileParts.empty()) {
            Put(u"No part of the file changed.\n"_s);
            return;
        }
        Put(u"| Part | Old size | New size | Change |\n|:--|--:|--:|--:|\n"_s);
        PartRows(FFileParts, 0);
        if (FPartsLeftOut)
            Put(u"\n\u2026 and %1 more rows of changed parts.\n"_s.arg(FPartsLeftOut));
    }

    // Every changed section; below each only its largest changes, the rest summed in one row.
    void PartRows(const std::vector<TPartChange> &Parts, int Depth)
    {
        const QString indent = Depth == 0 ? QString() : QString(2 * (Depth - 1), QChar(0x2003)) + u"\u21b3 "_s;
        const size_t shown = Depth == 0 ? Parts.size() : std::min(Parts.size(), MaxChildRows);
        for (size_t i = 0; i < shown; ++i) {
            const TPartChange &part = Parts[i];
            PartRow(u"| %1 | %2 | %3 | %4 |\n"_s.arg(indent + MarkdownCell(part.Name), Thousands(part.OldSize),
                                                     Thousands(part.NewSize), SignedThousands(part.Delta())));
            PartRows(part.Children, Depth + 1);
        }
        if (shown == Parts.size())
            return;
        qint64 delta = 0;
        for (size_t i = shown; i < Parts.size(); ++i)
            delta += Parts[i].Delta();
        PartRow(u"| %1\u2026 %2 more | | | %3 |\n"_s.arg(indent).arg(Parts.size() - shown).arg(SignedThousands(delta)));
    }

    // Once a row is left out the rest are too: a child must not lose its part.
    void PartRow(const QString &Row)
    {
        if (FPartsLeftOut == 0 && FLength + Row.size() < CommentBudget * 3 / 4)
            Put(Row);
        else
            ++FPartsLeftOut;
    }

    void Put(const QString &Text)
    {
        FLength += Text.size();
        WriteText(Text);
    }

    // Only the largest changes are kept, so that a diff of millions of symbols stays small.
    void KeepSymbol(TUnitSymbolChange Change)
    {
        ++FSymbolCount;
        FSymbols.push_back(std::move(Change));
        if (FSymbols.size() >= 4 * MaxSymbolRows)
            TrimSymbols();
    }

    void TrimSymbols()
    {
        const size_t kept = std::min(FSymbols.size(), MaxSymbolRows);
        std::partial_sort(FSymbols.begin(), FSymbols.begin() + qsizetype(kept), FSymbols.end(), LargerChange);
        FSymbols.resize(kept);
    }

    qsizetype FLength = 0;
    int FUnitRows = 0;
    int FUnitsLeftOut = 0;
    qint64 FDeltaLeftOut = 0;
    std::vector<TUnitSymbolChange> FSymbols;
    qint64 FSymbolCount = 0;
    bool FFiles = false;
    std::pair<qint64, qint64> FFileSizes;
    std::vector<TPartChange> FFileParts;
    int FPartsLeftOut = 0;
};

} // namespace

std::unique_ptr<TDiffWriter> NewMarkdownDiffWriter(QIODevice &Output)
{
    return std::make_unique<TMarkdownDiffWriter>(Output);
}
