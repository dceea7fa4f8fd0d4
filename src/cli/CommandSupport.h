#pragma once
// What the commands share: messages on standard error, the MAP file of a project named instead of
// it, one analysed build, the output file.

#include "analysis/MapAnalysis.h"
#include "tree/TreeGridModel.h"

#include <QFile>
#include <QString>

class TBufferedWriter;

// "quillon-cli: " and the message, one line per line of it, on standard error.
void PrintError(const QString &Message);
void PrintWarning(const QString &Message);

// The MAP file of a project or executable named instead of it (the one used is named on standard
// error); empty, after the message, when there is none.
QString MapFileOf(const QString &Named);

// The exit code of a failed run.
int ExitCodeOf(TMapAnalysis::TFailure Failure);

// A MAP file analysed by the engine into a grid of its own, for the commands that compare builds:
// neither form sizes nor compiled units are shown, so only the error that stops a run is printed.
struct TAnalysedBuild
{
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};

    TAnalysedBuild();
    // ecSuccess, or the exit code after the message. Named may be a project or an executable.
    int Run(const QString &Named);
};

// The analysis makes a project's folder the current one: paths given relative to the folder the
// tool was started in are fixed before it runs. An empty path stays empty.
QString StartFolderPath(const QString &Path);

// Standard output when FileName is empty; false after printing why it cannot be written.
bool OpenOutput(QFile &Output, const QString &FileName);
// Writes what is buffered; false after printing why it could not be written.
bool FinishOutput(TBufferedWriter &Writer, QFile &Output, const QString &FileName);
