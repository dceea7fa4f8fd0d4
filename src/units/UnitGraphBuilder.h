#pragma once
// Puts the unit graph of a linked program together: the MAP's units with their code sizes as
// nodes, the program (the MAP's last unit: the linker places it last) as root, and the edges read
// from the .dcu files below the search folder, else from the sources found there, else, for the
// program, from the executable's PACKAGEINFO.

#include "base/UFileUtils.h"
#include "units/PackageInfo.h"
#include "units/UnitGraph.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct TLinkedUnit
{
    QString Name;
    qint64 CodeSize = 0;
};

struct TUnitGraphSources
{
    QString MapFileName;
    // In the MAP's order; the last one is the program.
    std::vector<TLinkedUnit> Units;
    // Where the .dcu files and the sources lie; empty for none.
    QString SearchFolder;
    // The executable's PACKAGEINFO, when one belongs to the MAP.
    std::optional<TPackageInfo> PackageInfo;
};

struct TUnitGraphBuild
{
    TUnitGraph Graph;
    // The project file the program's uses came from; empty when none was found.
    QString ProjectFile;
    // Files that could not be read, each with its reason.
    QStringList Notes;
};

TUnitGraphBuild BuildUnitGraph(const TUnitGraphSources &Sources,
                               const TCollectFilesProgressEvent &Progress = {});
