#include "cli/CommandSupport.h"

#include "analysis/MapFileSearch.h"
#include "analysis/MapText.h"
#include "analysis/ProjectFiles.h"
#include "base/FileSystemAccess.h"
#include "base/UFileUtils.h"
#include "cli/BufferedWriter.h"
#include "cli/CliOptions.h"

#include <QFileInfo>
#include <QMutex>
#include <QSet>

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
    // Two readings of one file (the whole file and the unit graph's uses) find the same fault.
    static QMutex toldLock;
    static QSet<QString> told;
    {
        const QMutexLocker locker(&toldLock);
        if (told.contains(Message))
            return;
        told.insert(Message);
    }
    PrintError(u"warning: "_s + Message);
}

bool IsStandardStream(const QString &Named)
{
    return Named == u"-";
}

QString MapFileOf(const QString &Named)
{
    if (IsStandardStream(Named) || !IsProjectOrExecutableName(Named) || IsStreamEntry(Named))
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

QStringList InputsOf(const QString &MapFile)
{
    if (IsStandardStream(MapFile)) {
#ifdef Q_OS_WIN
        return {};
#else
        return {u"/dev/stdin"_s};
#endif
    }
    QStringList inputs{MapFile};
    if (!IsStreamEntry(MapFile)) {
        const QString project = FindProjectFile(QFileInfo(MapFile).absoluteFilePath());
        if (!project.isEmpty())
            inputs << project;
    }
    return inputs;
}

int ExitCodeOf(TMapAnalysis::TFailure Failure)
{
    return Failure == TMapAnalysis::afMalformed || Failure == TMapAnalysis::afNotDetailed ? ecMapMalformed
                                                                                          : ecMapUnreadable;
}

int RunAnalysis(TMapAnalysis &Analysis, const QString &MapFile, const std::optional<QString> &SearchFolder)
{
    const bool standardInput = IsStandardStream(MapFile);
    if (!standardInput && !IsStreamEntry(MapFile))
        return Analysis.Run(MapFile, SearchFolder) ? ecSuccess : ExitCodeOf(Analysis.Failure());
    QByteArray text;
    QString error;
    if (!ReadStream(standardInput ? QString() : MapFile, text, TMapText::MaxSize, error)) {
        PrintError(u"MAP File \"%1\" cannot be read: %2"_s.arg(standardInput ? u"standard input"_s : MapFile,
                                                               error));
        return ecMapUnreadable;
    }
    return Analysis.RunOnStream(MapFile, std::move(text), SearchFolder) ? ecSuccess
                                                                        : ExitCodeOf(Analysis.Failure());
}

TAnalysedBuild::TAnalysedBuild()
{
    TMapAnalysis::SetupUnitColumns(Grid);
    Analysis.OnMessage = [](TMapAnalysis *, const QString &message) { PrintError(message); };
    Analysis.OnProjectFileMissing = [](TMapAnalysis *, const QString &, const QString &) {};
    Analysis.OnWarning = [](TMapAnalysis *, const QString &) {};
}

int TAnalysedBuild::Run(const QString &MapFile, bool ReadFile, const QString &ExeOption)
{
    const int analysed = RunAnalysis(Analysis, MapFile, std::nullopt);
    if (analysed != ecSuccess)
        return analysed;
    if (!Analysis.IncompleteWarning().isEmpty()) {
        PrintError(Analysis.IncompleteWarning());
        return ecMapMalformed;
    }
    return ReadFile ? LoadWholeFile(Analysis, ExeOption, File) : ecSuccess;
}

QString StartFolderExe(const QString &ExeOption)
{
    return ExeOption.compare(u"none"_s, Qt::CaseInsensitive) == 0 ? ExeOption : StartFolderPath(ExeOption);
}

int LoadWholeFile(const TMapAnalysis &Analysis, const QString &ExeOption, std::optional<TWholeFile> &File)
{
    const TExecutableChoice choice =
        ExeOption.isEmpty() ? TExecutableChoice() : TExecutableChoice::FromText(ExeOption);
    QString warning;
    try {
        File = WholeFileOfMap(choice, Analysis.MapFileName(), Analysis.Segments(), Analysis.FormOwners(),
                              warning);
    } catch (const EExecutableError &error) {
        File.reset();
        // The executable found beside the MAP file was not asked for: the report goes on without it.
        if (choice.Mode == TExecutableChoice::Beside) {
            PrintWarning(error.Message());
            return ecSuccess;
        }
        PrintError(error.Message());
        return QFileInfo(choice.FileName).isFile() ? ecMapMalformed : ecMapUnreadable;
    }
    if (!warning.isEmpty())
        PrintWarning(warning);
    return ecSuccess;
}

QString StartFolderPath(const QString &Path)
{
    return Path.isEmpty() || IsStandardStream(Path) ? Path : QFileInfo(Path).absoluteFilePath();
}

int TCommandOutput::Refuse(const QString &FileName, const QStringList &Inputs)
{
    if (FileName.isEmpty() || IsStandardStream(FileName))
        return ecSuccess;
    const QString input = TSafeOutputFile::InputNamedBy(FileName, Inputs);
    if (input.isEmpty())
        return ecSuccess;
    PrintError(u"the output \"%1\" is \"%2\", which this run reads: refusing to overwrite it (name "
               u"another output file)"_s.arg(FileName, input));
    return ecUsage;
}

bool TCommandOutput::Open(const QString &FileName)
{
    FFileName = FileName;
    QString error;
    if (FileName.isEmpty() || IsStandardStream(FileName)) {
        if (FStandardOutput.open(stdout, QIODevice::WriteOnly))
            return true;
        error = FStandardOutput.errorString();
    } else {
        FFile = std::make_unique<TSafeOutputFile>(FileName);
        if (FFile->Open(error))
            return true;
        FFile.reset();
    }
    PrintError(u"cannot write \"%1\": %2"_s.arg(FileName.isEmpty() ? u"-"_s : FileName, error));
    return false;
}

QIODevice &TCommandOutput::Device()
{
    if (FFile)
        return FFile->Device();
    return FStandardOutput;
}

bool TCommandOutput::Finish(TBufferedWriter &Writer)
{
    QString error;
    if (!Writer.Finish())
        error = Device().errorString();
    else if (FFile ? FFile->Commit(error) : FStandardOutput.flush())
        return true;
    else if (!FFile)
        error = FStandardOutput.errorString();
    PrintError(u"cannot write \"%1\": %2"_s.arg(FFile ? FFileName : u"standard output"_s, error));
    return false;
}
