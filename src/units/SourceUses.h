#pragma once
// The uses clauses of Delphi sources (.dpr, .dpk, .pas), for units without a compiled unit file:
// comments of the three kinds, "Name in 'path'", dotted names, conditional directives and include
// files. An entry inside a condition the reader cannot decide is kept and marked conditional; a
// symbol counts as decided only where the file itself defines or undefines it.

#include "base/Exception.h"
#include "units/UsesList.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

QUILLON_DECLARE_EXCEPTION(ESourceUsesError, Exception)

struct TSourceUses
{
    TUsesLists Lists;
    // What could not be followed: include files not found, a clause that breaks off.
    QStringList Notes;
};

// The text of an include file named in a directive, none when it is not found.
using TIncludeLoader = std::function<std::optional<QString>(const QString &Name)>;

TSourceUses ReadSourceUses(const QString &Text, const TIncludeLoader &Include = {});
// Include files are looked for beside the file. Raises ESourceUsesError when it cannot be read.
TSourceUses ReadSourceUsesFile(const QString &FileName);
