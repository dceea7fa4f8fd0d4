#include "cli/CommandSupport.h"

#include "analysis/MapFileSearch.h"
#include "cli/BufferedWriter.h"
#include "cli/CliOptions.h"

#include <QFileInfo>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

void PrintError(const QString &Message)
{
    QString text = Message;
    text.replace(u"\r\n"_s, u"\n"_s);
    std::fprintf(stderr, "quillon-cli: %s\n", text.toLocal8Bit().constData());
}

void PrintWarning(const QString &Message)
{
    PrintError(u"warning: "_s + Message);
}

QString MapFileOf(const QString &Named)
{
    if (IsMapFileName(Named))
        return Named;
    const TMapFileSearch search = FindMapFileFor(Named);
    if (search.MapFile.isEmpty()) {
        PrintError(u"no MAP file found for \"%1\"; looked at:\n  %2"_s.arg(
            Named, search.Candidates.join(u"\n  "_s)));
        return {};
    }
    PrintError(u"using MAP file %1"_s.arg(search.MapFile));
    return search.MapFile;
}

int ExitCodeOf(TMapAnalysis::TFailure Failure)
{
    return Failure == TMapAnalysis::afMalformed || Failure == TMapAnalysis::afNotDetailed ? ecMapMalformed
                                                                                          : ecMapUnreadable;
}

TAnalysedBuild::TAnalysedBuild()
{
    TMapAnalysis::SetupUnitColumns(Grid);
    Analysis.OnMessage = [](TMapAnalysis *, const QString &message) { PrintError(message); };
    Analysis.OnProjectFileMissing = [](TMapAnalysis *, const QString &, const QString &) {};
    Analysis.OnWarning = [](TMapAnalysis *, const QString &) {};
}

int TAnalysedBuild::Run(const QString &Named)
{
    const QString mapFile = MapFileOf(Named);
    if (mapFile.isEmpty())
        return ecMapUnreadable;
    return Analysis.Run(mapFile, std::nullopt) ? ecSuccess : ExitCodeOf(Analysis.Failure());
}

QString StartFolderPath(const QString &Path)
{
    return Path.isEmpty() ? Path : QFileInfo(Path).absoluteFilePath();
}

bool OpenOutput(QFile &Output, const QString &FileName)
{
    const bool opened = FileName.isEmpty() ? Output.open(stdout, QIODevice::WriteOnly)
                                           : (Output.setFileName(FileName),
                                              Output.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!opened)
        PrintError(u"cannot write \"%1\": %2"_s.arg(FileName, Output.errorString()));
    return opened;
}

bool FinishOutput(TBufferedWriter &Writer, QFile &Output, const QString &FileName)
{
    if (Writer.Finish() && Output.flush())
        return true;
    PrintError(u"cannot write \"%1\": %2"_s.arg(FileName.isEmpty() ? u"standard output"_s : FileName,
                                                Output.errorString()));
    return false;
}
