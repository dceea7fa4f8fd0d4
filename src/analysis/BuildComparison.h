#pragma once
// Two analyses of one project compared: what grew since the last build, and why. Units are matched
// by name ignoring letter case (Delphi unit names are case-insensitive); within a unit, symbols are
// matched by their path of rows in the unit's tree, as opening the unit builds it.

#include <QString>

#include <vector>

class TITreeNode;
class TMapAnalysis;
class TTreeGridModel;

struct TSizeChange
{
    QString Name;
    qint64 OldSize = 0;
    qint64 NewSize = 0;

    qint64 Delta() const { return NewSize - OldSize; }
};

enum class TUnitStatus { Added, Removed, Grown, Shrunk, Unchanged };

// "added", "removed", "grown", "shrunk", "unchanged".
QString UnitStatusName(TUnitStatus Status);

struct TUnitChange : TSizeChange
{
    TUnitStatus Status = TUnitStatus::Unchanged;
    // The unit's rows in each build, first in grid order first. A MAP file may name a unit on more
    // than one code line; the sizes above are their sums.
    std::vector<TITreeNode *> OldRows;
    std::vector<TITreeNode *> NewRows;
};

// Largest absolute change first, ties by name in byte order of the UTF-8 text.
bool ComesFirstByChange(const TSizeChange &A, const TSizeChange &B);
void SortByChange(std::vector<TSizeChange> &Changes);
void SortByChange(std::vector<TUnitChange> &Changes);

// Every unit of the two finished runs, unchanged ones too, in change order. A unit of one build only
// has size 0 in the other. The name is the new build's spelling, the old one's for removed units.
std::vector<TUnitChange> CompareUnits(const TTreeGridModel &Old, const TTreeGridModel &New);

// The symbols of one unit whose size changed, in change order, each named by its path of rows
// joined with "." (several rows of one path, overloads of one routine, are summed). A symbol's size
// is its row's own share: its Tag less its children's. Rows not opened yet are built for the walk and
// folded again, so each unit's tree is built once per call and the grids look as before.
std::vector<TSizeChange> CompareUnitSymbols(TMapAnalysis &Old, TMapAnalysis &New, const TUnitChange &Unit);
