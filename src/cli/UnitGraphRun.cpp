#include "cli/UnitGraphRun.h"

#include "analysis/ExecutableMatch.h"
#include "analysis/LinkedUnits.h"
#include "cli/CommandSupport.h"
#include "cli/OutputText.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

int BuildUnitGraphOfMap(const TCliOptions &Options, TUnitGraphBuild &Build)
{
    const QString mapFile = MapFileOf(Options.MapFile);
    if (mapFile.isEmpty())
        return ecMapUnreadable;
    const bool noExe = Options.ExecutableSwitchedOff();
    const QString exeFile = noExe ? QString() : StartFolderPath(Options.Exe);
    // Refused before anything runs, as the report refuses it: the output would replace a file the
    // run reads.
    if (const int refused =
            TCommandOutput::Refuse(Options.OutputFile, InputsOf(mapFile) << Options.MapFile << exeFile
                                                                         << ExecutableBesideMap(mapFile));
        refused != ecSuccess)
        return refused;
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
    if (!exeFile.isEmpty() && !QFileInfo(exeFile).isFile()) {
        PrintError(u"cannot read \"%1\": no such file"_s.arg(Options.Exe));
        return ecMapUnreadable;
    }
    TAnalysedBuild analysed;
    if (const int code = analysed.Run(mapFile); code != ecSuccess)
        return code;
    QStringList warnings;
    const TUnitGraphSources sources =
        UnitGraphSourcesOf(analysed.Analysis, analysed.Grid, searchFolder, exeFile, !noExe, warnings);
    for (const QString &warning : warnings)
        PrintWarning(warning);
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
