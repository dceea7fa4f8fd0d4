#include "cli/ReportWriter.h"

#include "cli/ReportGraphData.h"
#include "report/HtmlReportPage.h"
#include "report/ScriptDataDevice.h"

namespace {

// The page around the output of --format json --symbols, which goes in unchanged but escaped, and
// the unit graph beside it.
class THtmlReportWriter : public TReportWriter
{
public:
    THtmlReportWriter(QIODevice &Output, const THtmlReportFacts &Facts, const TWholeFile *File,
                      const TUnitGraph *Graph)
        : TReportWriter(Output), FPage(Facts), FData(Output), FJson(NewJsonReportWriter(FData, true, File)),
          FGraph(Graph)
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
        Write(FPage.Middle());
        Finish();
        const std::string graph = FGraph ? ReportGraphJson(*FGraph) : std::string("null");
        if (FData.write(graph.data(), qint64(graph.size())) != qint64(graph.size()))
            MarkFailed();
        Write(FPage.Tail());
    }

private:
    const THtmlReportPage FPage;
    TScriptDataDevice FData;
    const std::unique_ptr<TReportWriter> FJson;
    const TUnitGraph *const FGraph;
};

} // namespace

std::unique_ptr<TReportWriter> NewHtmlReportWriter(QIODevice &Output, const THtmlReportFacts &Facts,
                                                   const TWholeFile *File, const TUnitGraph *Graph)
{
    return std::make_unique<THtmlReportWriter>(Output, Facts, File, Graph);
}
