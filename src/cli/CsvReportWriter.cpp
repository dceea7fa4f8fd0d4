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
        Write(WithRetained() ? "unit,code_size,percent,dfm_size,dcu_size,ratio,retained_size\n"
                             : "unit,code_size,percent,dfm_size,dcu_size,ratio\n");
    }

    void Unit(const TUnitReportRow &Row, const TITreeNode *) override
    {
        QStringList fields{CsvField(Row.Name),           QString::number(Row.CodeSize), Row.Percent,
                           QString::number(Row.DfmSize), QString::number(Row.DcuSize),  CsvField(Row.Ratio)};
        // An unknown retained size is an empty field.
        if (WithRetained())
            fields << (Row.RetainedSize ? QString::number(*Row.RetainedSize) : QString());
        WriteText(fields.join(u',') + u'\n');
    }

    void End() override {}
};

} // namespace

std::unique_ptr<TReportWriter> NewCsvReportWriter(QIODevice &Output)
{
    return std::make_unique<TCsvReportWriter>(Output);
}
