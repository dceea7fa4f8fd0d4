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
            FNameWidth = FWithSymbols ? NarrowNameWidth() : std::min(FNameWidth, NarrowNameWidth());
        // Five size columns fit 80 only under headings of two lines, each column as wide as its
        // figures rather than its title.
        if (WithRetained()) {
            Line(QString(), false, u"Compiled"_s, QString(), u"DFM"_s, u"Ratio DCU"_s, u"Retained"_s);
            Line(u"Unit"_s, false, u"size"_s, u"%"_s, u"size"_s, u"size"_s, u"size"_s);
        } else {
            Line(u"Unit"_s, false, u"Compiled size"_s, u"%"_s, u"DFM size"_s, u"Ratio DCU size"_s);
        }
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
    struct TColumnWidths
    {
        qsizetype Size, Percent, Dfm, Ratio, Retained;
    };
    static constexpr TColumnWidths Widths{13, 8, 9, 14, 0};
    // "12,345,678" under "Compiled", "<= 12,345,678" under "Retained".
    static constexpr TColumnWidths RetainedWidths{10, 8, 9, 9, 13};

    const TColumnWidths &ColumnWidths() const { return WithRetained() ? RetainedWidths : Widths; }

    // What the size columns take with their separators.
    qsizetype SizeColumnsWidth() const
    {
        const TColumnWidths &w = ColumnWidths();
        return 2 + w.Size + 2 + w.Percent + 2 + w.Dfm + 2 + w.Ratio + (WithRetained() ? 2 + w.Retained : 0);
    }

    // The name column that keeps a table within 80 columns.
    qsizetype NarrowNameWidth() const { return 80 - SizeColumnsWidth(); }

    // The rules stop short of the last column's separator, as the table has always drawn them.
    qsizetype RuleWidth() const { return FNameWidth + SizeColumnsWidth() - 2; }

    // A name that does not fit is cut, or given a line of its own when Whole.
    void Line(const QString &name, bool whole, const QString &size, const QString &percent,
              const QString &dfm, const QString &ratio, const QString &retained = QString())
    {
        const TColumnWidths &w = ColumnWidths();
        const QString nameCell =
            whole ? NameCell(name, FNameWidth) : CutName(name, FNameWidth).leftJustified(FNameWidth);
        QString line = nameCell + u"  "_s + size.rightJustified(w.Size) + u"  "_s +
                       percent.rightJustified(w.Percent) + u"  "_s + dfm.rightJustified(w.Dfm) + u"  "_s +
                       ratio.rightJustified(w.Ratio);
        if (WithRetained())
            line += u"  "_s + retained.rightJustified(w.Retained);
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
