#pragma once
// One unit's uses lists as a reader of .dcu files or of sources finds them.

#include <QString>

#include <vector>

// Where an edge of the unit graph was read.
enum class TUsesOrigin { Dcu, Source, Exe };

// Which clause names the used unit; a program's single clause is its own kind.
enum class TUsesKind { Interface, Implementation, Program };

struct TUsedUnit
{
    QString Name;
    // A program's "Name in 'path'": the path as written.
    QString Path;
    // A name is imported from the unit; false for a unit used for its initialization alone. Sources
    // cannot tell: their entries say true.
    bool Imports = true;
    // The entry lies inside a conditional directive the source reader could not decide.
    bool Conditional = false;
};

struct TUsesLists
{
    // As the file names itself (the .dcu header from 2005 on, the source's heading), else empty.
    QString UnitName;
    // A program's or package's single clause is held here, with IsProgram set.
    std::vector<TUsedUnit> Interface;
    std::vector<TUsedUnit> Implementation;
    bool IsProgram = false;
};

QString UsesOriginText(TUsesOrigin Origin);
QString UsesKindText(TUsesKind Kind);
