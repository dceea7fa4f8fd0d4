#include "app/SymbolRowsSummary.h"

#include "base/UFormat.h"
#include "tree/ITreeNodes.h"

namespace {

bool BelowSelectedRow(const TITreeNode *Node)
{
    for (const TITreeNode *parent = Node->Parent(); parent; parent = parent->Parent())
        if (parent->Selected())
            return true;
    return false;
}

} // namespace

QString SymbolRowsSummary(const TITreeNodes &Items)
{
    if (Items.SelectedCount() == 0)
        return QString();
    int count = 0;
    qint64 size = 0;
    for (const TITreeNode *node = Items.GetFirstNode(); node; node = node->GetNext()) {
        if (!node->Selected())
            continue;
        if (!node->Parent())
            return QString();
        if (BelowSelectedRow(node))
            continue;
        ++count;
        size += node->Tag();
    }
    if (count == 0)
        return QString();
    return Format(QStringLiteral("%d %s: %.1f kB"),
                  {count, count == 1 ? QStringLiteral("row") : QStringLiteral("rows"), double(size) / 1024});
}
