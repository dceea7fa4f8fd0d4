#include "tree/TreeNodePath.h"

#include "tree/TreeGridModel.h"

QStringList NodePath(const TITreeNode *node)
{
    QStringList path;
    for (; node; node = node->Parent())
        path.prepend(node->Text());
    return path;
}

TITreeNode *NodeAtPath(TTreeGridModel &grid, const QStringList &path)
{
    TITreeNode *node = nullptr;
    TITreeNode *level = grid.Items().GetFirstNode();
    for (const QString &text : path) {
        node = level;
        while (node && node->Text() != text)
            node = node->NextSibling();
        if (!node)
            return nullptr;
        level = node->GetFirstChild();
    }
    return node;
}
