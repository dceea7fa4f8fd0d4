#pragma once
// The rows under an opened unit: each symbol name, without the unit's prefix, is split at its dots
// into a path of rows (namespaces, classes, nested types) ending in a leaf; every row on the path
// adds up the sizes of the symbols that pass through it.

#include "analysis/CompareDataList.h"

#include <QStringView>

#include <vector>

class TITreeNode;

// True, with P the 1-based position of the first "." of S outside every pair of angle brackets and
// braces; false when there is none (P unchanged). An unbalanced closer makes the depth negative, so
// no later dot splits.
bool FindUnnestedDot(QStringView S, qsizetype &P);

// Adds under Node the rows of the given symbols, in the given (address) order. prefixLength is the
// byte length of the row's text plus its dot, which every given name begins with. A name whose rest
// begins with "." is the unit's metadata of the type that follows: 'UnitA..TFoo' becomes the path
// TFoo, "< MetaData >".
void AddSymbolRows(TITreeNode *Node, const TCompareDataList &Symbols, const std::vector<int> &Indexes,
                   qsizetype prefixLength);
