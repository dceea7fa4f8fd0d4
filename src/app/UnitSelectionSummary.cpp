#include "app/UnitSelectionSummary.h"

#include "analysis/BaselineColumns.h"
#include "app/SymbolRowsSummary.h"
#include "base/UFormat.h"
#include "base/XLists.h"
#include "tree/ITreeNodes.h"

qint64 ColumnObject(const TITreeNode *Node, int Item)
{
    const TXStringList *strings = Node->ColumnStringsIfAny();
    return strings && Item < strings->Count() ? qint32(strings->Objects(Item)) : 0;
}

QString UnitSelectionSummary(const TITreeNodes &Items, double PercentFactor, bool WithChange)
{
    int count = 0;
    qint64 codeSum = 0;
    qint64 formSum = 0;
    qint64 changeSum = 0;
    for (const TITreeNode *node = Items.GetFirstNode(); node; node = node->NextSibling()) {
        if (!node->Selected())
            continue;
        ++count;
        codeSum += ColumnObject(node, 1);
        formSum += ColumnObject(node, 2);
        changeSum += TBaselineColumns::Change(node);
    }
    if (count == 0)
        if (const QString symbols = SymbolRowsSummary(Items); !symbols.isEmpty())
            return symbols;
    QString summary =
        Format(QStringLiteral("%d units: %.1f kB code (%.2f%%), %.1f kB DFM"),
               {count, double(codeSum) / 1024, double(codeSum) * PercentFactor, double(formSum) / 1024});
    if (WithChange)
        summary += QStringLiteral(", change %1 bytes")
                       .arg(changeSum > 0 ? u'+' + QString::number(changeSum) : QString::number(changeSum));
    return summary;
}
