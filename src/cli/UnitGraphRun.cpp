#include "cli/UnitGraphRun.h"

#include "analysis/LinkedUnits.h"
#include "cli/CommandSupport.h"
#include "cli/OutputText.h"

using namespace Qt::Literals::StringLiterals;

int BuildUnitGraphOfMap(const TCliOptions &Options, TUnitGraphBuild &Build)
{
    // The analysis makes the project's folder the current one: the search folder is fixed first.
    QString searchFolder;
    if (Options.SearchDir) {
        searchFolder = StartFolderPath(*Options.SearchDir);
        const QString problem = TMapAnalysis::SearchFolderProblem(searchFolder);
        if (!problem.isEmpty()) {
            PrintError(problem);
            return ecMapUnreadable;
        }
    }
    const QString mapFile = MapFileOf(Options.MapFile);
    if (mapFile.isEmpty())
        return ecMapUnreadable;
    TAnalysedBuild analysed;
    if (const int code = analysed.Run(mapFile); code != ecSuccess)
        return code;
    TUnitGraphSources sources;
    sources.MapFileName = analysed.Analysis.MapFileName();
    sources.Units = LinkedUnitsOf(analysed.Analysis, analysed.Grid);
    sources.SearchFolder = searchFolder;
    Build = BuildUnitGraph(sources);
    for (const QString &note : Build.Notes)
        PrintWarning(note);
    return ecSuccess;
}

QByteArray JsonEdgeFields(const TUnitEdge &Edge)
{
    QByteArray fields = "\"kind\":" + JsonString(UsesKindText(Edge.Kind)) +
                        ",\"from\":" + JsonString(UsesOriginText(Edge.Origin)) +
                        ",\"imports\":" + (Edge.Imports ? "true" : "false");
    if (Edge.Conditional)
        fields += ",\"conditional\":true";
    return fields;
}

QString EdgeText(const TUnitEdge &Edge)
{
    QString text = UsesKindText(Edge.Kind) + u", "_s + UsesOriginText(Edge.Origin);
    if (Edge.Conditional)
        text += u", conditional"_s;
    if (!Edge.Imports)
        text += u", initialization only"_s;
    return text;
}
