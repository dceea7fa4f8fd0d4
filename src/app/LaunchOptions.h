#pragma once
// Options for a scripted start, beside the file whose MAP file is preselected: "--search-dir DIR"
// fills the folder field, "--go" runs the analysis once the window shows (./run.sh opens the
// sample analysed this way) and "--baseline FILE" compares with the build of that MAP file.
// "--open FILE", which the desktop entry uses, preselects FILE and runs the analysis when FILE
// exists.

#include <QString>
#include <QStringList>

struct TLaunchOptions
{
    QStringList Arguments; // the program and its other arguments, as the main window reads them
    QString SearchDir;     // empty when not given
    QString Baseline;      // absolute; empty when not given
    bool Go = false;
};

TLaunchOptions ParseLaunchOptions(const QStringList &arguments);

// "--help" (or "-h") and "--version", answered before any window or display exists.
enum class TLaunchQuestion { None, Help, Version };
TLaunchQuestion LaunchQuestionOf(int argc, const char *const *argv);
// What `quillon --help` prints; the manual page quillon(1) is made from it. Lines fit 80 columns.
QString LaunchHelpText();
QString LaunchVersionText();
