#include "cli/DiffWriter.h"

#include "cli/OutputText.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class TTableDiffWriter : public TDiffWriter
{
public:
    TTableDiffWriter(QIODevice &Output, bool All, qsizetype NameWidth)
        : TDiffWriter(Output), FAll(All), FNameWidth(std::max<qsizetype>(NameWidth, 20))
    {}

    void Begin(const TDiffTotals &Totals) override
    {
        FNameWidth = std::max(FNameWidth, TotalLabel(Totals).size());
        Line(u"Unit"_s, u"Old size"_s, u"New size"_s, u"Change"_s, u"Status"_s);
        Rule();
    }

    void Unit(const TUnitChange &Unit, const std::vector<TSizeChange> *Symbols) override
    {
        const bool symbolsChanged = Symbols && !Symbols->empty();
        if (!FAll && Unit.Status == TUnitStatus::Unchanged && !symbolsChanged)
            return;
        Line(Unit.Name, Thousands(Unit.OldSize), Thousands(Unit.NewSize), SignedThousands(Unit.Delta()),
             UnitStatusName(Unit.Status));
        if (Symbols)
            for (const TSizeChange &symbol : *Symbols)
                Line(u"  "_s + symbol.Name, Thousands(symbol.OldSize), Thousands(symbol.NewSize),
                     SignedThousands(symbol.Delta()), QString());
    }

    void End(const TDiffTotals &Totals) override
    {
        Rule();
        Line(TotalLabel(Totals), Thousands(Totals.OldSize), Thousands(Totals.NewSize),
             SignedThousands(Totals.NewSize - Totals.OldSize), QString());
    }

private:
    static QString TotalLabel(const TDiffTotals &Totals)
    {
        return u"Total (%1 units, %2 changed)"_s.arg(Totals.Units).arg(Totals.ChangedUnits);
    }

    void Line(const QString &name, const QString &oldSize, const QString &newSize, const QString &change,
              const QString &status)
    {
        QString line = NameCell(name, FNameWidth) + u"  "_s + oldSize.rightJustified(13) + u"  "_s +
                       newSize.rightJustified(13) + u"  "_s + change.rightJustified(12) + u"  "_s + status;
        while (line.endsWith(u' '))
            line.chop(1);
        WriteText(line + u'\n');
    }

    void Rule() { WriteText(QString(FNameWidth + 55, u'-') + u'\n'); }

    const bool FAll;
    qsizetype FNameWidth;
};

} // namespace

std::unique_ptr<TDiffWriter> NewTableDiffWriter(QIODevice &Output, bool All, qsizetype NameWidth)
{
    return std::make_unique<TTableDiffWriter>(Output, All, NameWidth);
}
