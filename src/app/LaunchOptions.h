#pragma once
// Options for a scripted start, beside the file whose MAP file is preselected: "--search-dir DIR"
// fills the folder field and "--go" runs the analysis once the window shows (./run.sh opens the
// sample analysed this way).

#include <QString>
#include <QStringList>

struct TLaunchOptions
{
    QStringList Arguments; // the program and its other arguments, as the main window reads them
    QString SearchDir;     // empty when not given
    bool Go = false;
};

TLaunchOptions ParseLaunchOptions(const QStringList &arguments);
