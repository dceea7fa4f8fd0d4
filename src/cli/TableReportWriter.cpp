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
    using TReportWriter::TReportWriter;

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
        Line(u"Unit"_s, u"Compiled size"_s, u"%"_s, u"DFM size"_s, u"Ratio DCU size"_s);
        WriteText(QString(FNameWidth + 50, u'-') + u'\n');
    }

    void Unit(const TUnitReportRow &Row, const TITreeNode *Symbols) override
    {
        Line(Row.Name, Thousands(Row.CodeSize), Row.Percent + u" %"_s,
             Row.DfmSize ? Thousands(Row.DfmSize) : u"-"_s, Row.Ratio);
        if (Symbols)
            Tree(Symbols, 1);
    }

    void End() override
    {
        WriteText(QString(FNameWidth + 50, u'-') + u'\n');
        Line(u"Total (%1 units)"_s.arg(FUnitCount), Thousands(FTotalCode),
             Format(u"%.2f %%"_s, {double(FTotalCode) * FPercentFactor}), Thousands(FTotalDfm), QString());
    }

private:
    void Line(const QString &name, const QString &size, const QString &percent, const QString &dfm,
              const QString &ratio)
    {
        QString line = NameCell(name, FNameWidth) + u"  "_s + size.rightJustified(13) + u"  "_s +
                       percent.rightJustified(8) + u"  "_s + dfm.rightJustified(9) + u"  "_s +
                       ratio.rightJustified(14);
        while (line.endsWith(u' '))
            line.chop(1);
        WriteText(line + u'\n');
    }

    void Tree(const TITreeNode *Parent, int depth)
    {
        for (const TITreeNode *child = Parent->GetFirstShownChild(); child;
             child = child->NextShownSibling()) {
            Line(QString(2 * depth, u' ') + child->Text(), Thousands(child->Tag()),
                 Format(u"%.2f %%"_s, {double(child->Tag()) * FPercentFactor}), QString(), QString());
            Tree(child, depth + 1);
        }
    }

    double FPercentFactor = 0;
    qint64 FUnitCount = 0;
    qint64 FTotalCode = 0;
    qint64 FTotalDfm = 0;
    qsizetype FNameWidth = 20;
};

} // namespace

std::unique_ptr<TReportWriter> NewTableReportWriter(QIODevice &Output)
{
    return std::make_unique<TTableReportWriter>(Output);
}
