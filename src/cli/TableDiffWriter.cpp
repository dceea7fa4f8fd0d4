#include "cli/DiffWriter.h"

#include "cli/OutputText.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

class TTableDiffWriter : public TDiffWriter
{
public:
    TTableDiffWriter(QIODevice &Output, bool All, qsizetype NameWidth, bool Wide)
        : TDiffWriter(Output), FAll(All), FWide(Wide),
          FNameWidth(Wide ? std::max<qsizetype>(NameWidth, 20)
                          : std::clamp<qsizetype>(NameWidth, 20, NarrowNameWidth))
    {}

    void Begin(const TDiffTotals &Totals) override
    {
        const qsizetype label = TotalLabel(Totals).size();
        FNameWidth = std::max(FNameWidth, FWide ? label : std::min(label, NarrowNameWidth));
        Line(u"Unit"_s, false, u"Old size"_s, u"New size"_s, u"Change"_s, u"Status"_s);
        Rule();
    }

    void Unit(const TUnitChange &Unit, const std::vector<TSizeChange> *Symbols) override
    {
        const bool symbolsChanged = Symbols && !Symbols->empty();
        if (!FAll && Unit.Status == TUnitStatus::Unchanged && !symbolsChanged)
            return;
        Line(Unit.Name, FWide, Thousands(Unit.OldSize), Thousands(Unit.NewSize),
             SignedThousands(Unit.Delta()), UnitStatusName(Unit.Status));
        if (Symbols)
            for (const TSizeChange &symbol : *Symbols)
                Line(u"  "_s + symbol.Name, FWide, Thousands(symbol.OldSize), Thousands(symbol.NewSize),
                     SignedThousands(symbol.Delta()), QString());
    }

    // After the units' total: "Whole file", then each changed part with its changed children.
    void Files(qint64 OldSize, qint64 NewSize, const std::vector<TPartChange> &Parts) override
    {
        FFileParts = Parts;
        FFileSizes = {OldSize, NewSize};
        FFiles = true;
    }

    void End(const TDiffTotals &Totals) override
    {
        Rule();
        Line(TotalLabel(Totals), true, Thousands(Totals.OldSize), Thousands(Totals.NewSize),
             SignedThousands(Totals.NewSize - Totals.OldSize), QString());
        if (!FFiles)
            return;
        WriteText(u"\n"_s);
        Line(u"Part"_s, false, u"Old size"_s, u"New size"_s, u"Change"_s, QString());
        Rule();
        Line(u"Whole file"_s, FWide, Thousands(FFileSizes.first), Thousands(FFileSizes.second),
             SignedThousands(FFileSizes.second - FFileSizes.first), QString());
        PartLines(FFileParts, 0);
    }

private:
    // The name column that keeps a table within 80 columns: the other columns take 50.
    static constexpr qsizetype NarrowNameWidth = 30;

    static QString TotalLabel(const TDiffTotals &Totals)
    {
        return u"Total (%1 units, %2 changed)"_s.arg(Totals.Units).arg(Totals.ChangedUnits);
    }

    // A name that does not fit is cut, or given a line of its own when Whole.
    void Line(const QString &name, bool whole, const QString &oldSize, const QString &newSize,
              const QString &change, const QString &status)
    {
        const QString nameCell =
            whole ? NameCell(name, FNameWidth) : CutName(name, FNameWidth).leftJustified(FNameWidth);
        QString line = nameCell + u"  "_s + oldSize.rightJustified(11) + u"  "_s +
                       newSize.rightJustified(11) + u"  "_s + change.rightJustified(11) + u"  "_s + status;
        while (line.endsWith(u' '))
            line.chop(1);
        WriteText(line + u'\n');
    }

    void Rule() { WriteText(QString(FNameWidth + 50, u'-') + u'\n'); }

    void PartLines(const std::vector<TPartChange> &parts, int depth)
    {
        for (const TPartChange &part : parts) {
            Line(QString(2 * depth, u' ') + part.Name, FWide, Thousands(part.OldSize),
                 Thousands(part.NewSize), SignedThousands(part.Delta()), QString());
            PartLines(part.Children, depth + 1);
        }
    }

    const bool FAll;
    const bool FWide;
    qsizetype FNameWidth;
    bool FFiles = false;
    std::pair<qint64, qint64> FFileSizes;
    std::vector<TPartChange> FFileParts;
};

} // namespace

std::unique_ptr<TDiffWriter> NewTableDiffWriter(QIODevice &Output, bool All, qsizetype NameWidth, bool Wide)
{
    return std::make_unique<TTableDiffWriter>(Output, All, NameWidth, Wide);
}
