#pragma once
// What the commands share: messages on standard error, the MAP file of a project named instead of
// it, MAP files read from standard input or a pipe, one analysed build, the output file.

#include "analysis/MapAnalysis.h"
#include "analysis/WholeFile.h"
#include "base/SafeOutputFile.h"
#include "tree/TreeGridModel.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class TBufferedWriter;

// "quillon-cli: " and the message, one line per line of it, on standard error.
void PrintError(const QString &Message);
// The same, after "warning: "; a warning already told is not told again.
void PrintWarning(const QString &Message);

// "-", the name of standard input and output on the command line.
bool IsStandardStream(const QString &Named);

// The MAP file named on the command line: "-" and streams (pipes, /dev/fd paths) as they are, the
// MAP file of a project or executable (the one used is named on standard error), any other file
// itself whatever its extension. Empty, after the message, when a project's or executable's MAP
// file is not found.
QString MapFileOf(const QString &Named);

// The files a run of the MAP file reads that an output must never replace: the MAP file and its
// project file (standard input where it is a file).
QStringList InputsOf(const QString &MapFile);

// The exit code of a failed run.
int ExitCodeOf(TMapAnalysis::TFailure Failure);

// Runs the analysis of MapFile (a result of MapFileOf): a stream is read once to its end first.
// ecSuccess, or the exit code after the message.
int RunAnalysis(TMapAnalysis &Analysis, const QString &MapFile, const std::optional<QString> &SearchFolder);

// A MAP file analysed by the engine into a grid of its own, for the commands that compare builds:
// neither form sizes nor compiled units are shown, so only the error that stops a run is printed.
// An incomplete MAP file fails the run: a comparison or a budget would pass on part of a build.
struct TAnalysedBuild
{
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};
    // The executable of the build, after Run with ReadFile.
    std::optional<TWholeFile> File;

    TAnalysedBuild();
    // ecSuccess, or the exit code after the message. MapFile is a result of MapFileOf. With
    // ReadFile the executable is read as LoadWholeFile reads it for ExeOption.
    int Run(const QString &MapFile, bool ReadFile = false, const QString &ExeOption = {});
};

// The executable of the analysed build as --exe chooses it (empty: the one beside the MAP file,
// "none": no executable): File stays none when there is none to use, after a warning when the
// executable comes from another build or the one found beside the MAP cannot be read. Returns
// ecSuccess, or the exit code after the message when the executable named cannot be read.
int LoadWholeFile(const TMapAnalysis &Analysis, const QString &ExeOption, std::optional<TWholeFile> &File);

// --exe as given, with a path made absolute from the folder the tool was started in.
QString StartFolderExe(const QString &ExeOption);

// The analysis makes a project's folder the current one: paths given relative to the folder the
// tool was started in are fixed before it runs. An empty path and "-" stay as they are.
QString StartFolderPath(const QString &Path);

// Where a command writes: standard output for an empty name or "-", otherwise a file replaced only
// when the command succeeded (TSafeOutputFile).
class TCommandOutput
{
public:
    // ecSuccess, or ecUsage after the message when FileName is one of the files the run reads.
    static int Refuse(const QString &FileName, const QStringList &Inputs);
    // False after printing why it cannot be written.
    bool Open(const QString &FileName);
    QIODevice &Device();
    // Writes what is buffered and puts the file in place; false after printing why it could not be
    // written (the file is then as it was).
    bool Finish(TBufferedWriter &Writer);

private:
    QString FFileName;
    QFile FStandardOutput;
    std::unique_ptr<TSafeOutputFile> FFile;
};
