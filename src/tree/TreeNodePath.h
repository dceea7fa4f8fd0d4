#pragma once
// A node named by the texts from the root level down to it: a name that survives a rebuild of the
// tree which replaces every node, where a pointer would dangle.

#include <QStringList>

class TITreeNode;
class TTreeGridModel;

// The texts from the root level down to the node; empty for none.
QStringList NodePath(const TITreeNode *node);
// The node reached by the texts, the first of equal siblings at each level; none when one is missing.
TITreeNode *NodeAtPath(TTreeGridModel &grid, const QStringList &path);
