#include "cli/ReportWriter.h"

#include "analysis/MapAnalysis.h"
#include "base/UFormat.h"
#include "cli/OutputText.h"
#include "tree/ITreeNodes.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class TTableReportWriter : public TReportWriter
{
public:
    TTableReportWriter(QIODevice &Output, bool Wide, bool WithSymbols)
        : TReportWriter(Output), FWide(Wide), FWithSymbols(WithSymbols)
    {}

    void Begin(const TMapAnalysis &Analysis, const std::vector<TUnitReportRow> &Rows) override
    {
        FPercentFactor = Analysis.PercentFactor();
        FUnitCount = qint64(Rows.size());
        FNameWidth = 20;
        // The units listed: all of them, or those a filter shows.
        for (const TUnitReportRow &row : Rows) {
            FNameWidth = std::max(FNameWidth, row.Name.size());
            FTotalCode += row.CodeSize;
            FTotalDfm += row.DfmSize;
        }
        // Symbol names come later, one unit at a time: a narrow table with them takes its full width.
        if (!FWide)
            FNameWidth = FWithSymbols ? NarrowNameWidth : std::min(FNameWidth, NarrowNameWidth);
        Line(u"Unit"_s, false, u"Compiled size"_s, u"%"_s, u"DFM size"_s, u"Ratio DCU size"_s,
             u"Retained size"_s);
        WriteText(QString(RuleWidth(), u'-') + u'\n');
    }

    void Unit(const TUnitReportRow &Row, const TITreeNode *Symbols) override
    {
        // "<=" marks an upper bound; "-" a unit no chain is known to.
        const QString retained = !Row.RetainedSize ? u"-"_s
                                                   : (Row.RetainedUpperBound ? u"<= "_s : QString()) +
                                                         Thousands(*Row.RetainedSize);
        Line(Row.Name, FWide, Thousands(Row.CodeSize), Row.Percent + u" %"_s,
             Row.DfmSize ? Thousands(Row.DfmSize) : u"-"_s, Row.Ratio, retained);
        if (Symbols)
            Tree(Symbols, 1);
    }

    void End() override
    {
        WriteText(QString(RuleWidth(), u'-') + u'\n');
        Line(u"Total (%1 units)"_s.arg(FUnitCount), true, Thousands(FTotalCode),
             Format(u"%.2f %%"_s, {double(FTotalCode) * FPercentFactor}), Thousands(FTotalDfm), QString());
    }

private:
    // The name column that keeps a table within 80 columns: the other columns take 52.
    static constexpr qsizetype NarrowNameWidth = 28;

    // The retained size's column (--retained) widens the table beyond 80 columns.
    qsizetype RuleWidth() const { return FNameWidth + 50 + (WithRetained() ? 17 : 0); }

    // A name that does not fit is cut, or given a line of its own when Whole.
    void Line(const QString &name, bool whole, const QString &size, const QString &percent,
              const QString &dfm, const QString &ratio, const QString &retained = QString())
    {
        const QString nameCell =
            whole ? NameCell(name, FNameWidth) : CutName(name, FNameWidth).leftJustified(FNameWidth);
        QString line = nameCell + u"  "_s + size.rightJustified(13) + u"  "_s + percent.rightJustified(8) +
                       u"  "_s + dfm.rightJustified(9) + u"  "_s + ratio.rightJustified(14);
        if (WithRetained())
            line += u"  "_s + retained.rightJustified(15);
        while (line.endsWith(u' '))
            line.chop(1);
        WriteText(line + u'\n');
    }

    void Tree(const TITreeNode *Parent, int depth)
    {
        for (const TITreeNode *child = Parent->GetFirstShownChild(); child;
             child = child->NextShownSibling()) {
            Line(QString(2 * depth, u' ') + child->Text(), FWide, Thousands(child->Tag()),
                 Format(u"%.2f %%"_s, {double(child->Tag()) * FPercentFactor}), QString(), QString());
            Tree(child, depth + 1);
        }
    }

    const bool FWide;
    const bool FWithSymbols;
    double FPercentFactor = 0;
    qint64 FUnitCount = 0;
    qint64 FTotalCode = 0;
    qint64 FTotalDfm = 0;
    qsizetype FNameWidth = 20;
};

} // namespace

std::unique_ptr<TReportWriter> NewTableReportWriter(QIODevice &Output, bool Wide, bool WithSymbols)
{
    return std::make_unique<TTableReportWriter>(Output, Wide, WithSymbols);
}
