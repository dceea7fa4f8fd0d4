#include "cli/ReportWriter.h"

#include "cli/OutputText.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class TCsvReportWriter : public TReportWriter
{
public:
    using TReportWriter::TReportWriter;

    void Begin(const TMapAnalysis &, const std::vector<TUnitReportRow> &) override
    {
        Write("unit,code_size,percent,dfm_size,dcu_size,ratio\n");
    }

    void Unit(const TUnitReportRow &Row, const TITreeNode *) override
    {
        WriteText(QStringList{CsvField(Row.Name), QString::number(Row.CodeSize), Row.Percent,
                              QString::number(Row.DfmSize), QString::number(Row.DcuSize), CsvField(Row.Ratio)}
                      .join(u',') +
                  u'\n');
    }

    void End() override {}
};

} // namespace

std::unique_ptr<TReportWriter> NewCsvReportWriter(QIODevice &Output)
{
    return std::make_unique<TCsvReportWriter>(Output);
}
