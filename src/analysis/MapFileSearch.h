#pragma once
// The MAP file of a project or executable named in its place. The Delphi linker writes App.map
// beside App.exe, which lies beside App.dpr in old layouts and in the platform and configuration
// folders below the project (Win32\Debug...) since the compilers that build for several platforms.

#include <QString>
#include <QStringList>

struct TMapFileSearch
{
    QString MapFile;        // the first candidate that is a file; empty when there is none
    QStringList Candidates; // every place looked at, in order
};

// True when the path's extension is ".map" in any letter case.
bool IsMapFileName(const QString &path);
// True for the name of a project or an executable (.dpr, .dpk, .exe, .dll or .bpl in any letter
// case): its MAP file is looked for in its place. A file of any other name is the MAP file itself.
bool IsProjectOrExecutableName(const QString &path);

// Looks for the file's name with the extension ".map" beside it, then in Win32/Debug,
// Win32/Release, Win64/Debug and Win64/Release below its folder; folder names match in any letter
// case. The named file itself need not exist.
TMapFileSearch FindMapFileFor(const QString &path);
