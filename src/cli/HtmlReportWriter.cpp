#include "cli/ReportWriter.h"

#include "report/HtmlReportPage.h"
#include "report/ScriptDataDevice.h"

namespace {

// The page around the output of --format json --symbols, which goes in unchanged but escaped.
class THtmlReportWriter : public TReportWriter
{
public:
    THtmlReportWriter(QIODevice &Output, const THtmlReportFacts &Facts, const TWholeFile *File)
        : TReportWriter(Output), FPage(Facts), FData(Output), FJson(NewJsonReportWriter(FData, true, File))
    {}

    void Begin(const TMapAnalysis &Analysis, const std::vector<TUnitReportRow> &Rows) override
    {
        Write(FPage.Head());
        Finish(); // the data writes to the output directly, so the head must be there first
        FJson->Begin(Analysis, Rows);
    }

    void Unit(const TUnitReportRow &Row, const TITreeNode *Symbols) override { FJson->Unit(Row, Symbols); }

    void End() override
    {
        FJson->End();
        if (!FJson->Finish())
            MarkFailed();
        Write(FPage.Tail());
    }

private:
    const THtmlReportPage FPage;
    TScriptDataDevice FData;
    const std::unique_ptr<TReportWriter> FJson;
};

} // namespace

std::unique_ptr<TReportWriter> NewHtmlReportWriter(QIODevice &Output, const THtmlReportFacts &Facts,
                                                   const TWholeFile *File)
{
    return std::make_unique<THtmlReportWriter>(Output, Facts, File);
}
