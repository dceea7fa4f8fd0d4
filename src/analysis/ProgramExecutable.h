#pragma once
// The executable that belongs to a MAP file, for the units it lists in its PACKAGEINFO resource.
// It belongs to the MAP by the whole-file view's rule (ExecutableMismatch: the code and data
// segments as long as their sections); the time stamp is no help (some compilers write a fixed one).

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

// Segments are the MAP's; null for an executable read without a MAP, which is then taken as it is.
TProgramExecutable ReadProgramExecutable(const QString &FileName, const TMapSegments *Segments);
