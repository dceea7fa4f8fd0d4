#pragma once
// The executable that belongs to a MAP file, for the units it lists in its PACKAGEINFO resource.
// They belong together when the executable's code section is as long as the MAP's code segment:
// the time stamp is no help (some compilers write a fixed one).

#include "analysis/ExecutableMatch.h"
#include "units/PackageInfo.h"

#include <QString>

#include <optional>

struct TProgramExecutable
{
    QString FileName;
    std::optional<TPackageInfo> PackageInfo;
    // Why the PACKAGEINFO is not used: the file is no executable, another build's, has none...
    QString Problem;
};

// CodeSegmentLength is the MAP's (0 when it gives none: the executable is then taken as it is).
TProgramExecutable ReadProgramExecutable(const QString &FileName, qint64 CodeSegmentLength);
