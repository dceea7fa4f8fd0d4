#include "cli/ReportWriter.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// RFC 4180: a field holding a comma, a quote or a line break is quoted, its quotes doubled.
QString CsvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

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
