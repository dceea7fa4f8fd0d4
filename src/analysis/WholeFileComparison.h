#pragma once
// Two builds' whole executables compared: the parts matched by name at each level (sections, then
// their units, resource types and DLLs), by their bytes in the file.

#include "pe/PeLayout.h"

#include <QString>

#include <vector>

struct TPartChange
{
    QString Name;
    qint64 OldSize = 0; // 0 for a part only the new file has
    qint64 NewSize = 0;
    std::vector<TPartChange> Children;
    qint64 Delta() const { return NewSize - OldSize; }
};

// The changed parts of the two trees down to Depth levels, largest absolute change first, ties
// by name; a part of one file only has size 0 in the other.
std::vector<TPartChange> CompareWholeFiles(const TPeSizeNode &Old, const TPeSizeNode &New, int Depth = 2);
