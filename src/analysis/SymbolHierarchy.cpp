#include "analysis/SymbolHierarchy.h"

#include "tree/ITreeNodes.h"

#include <QHash>
#include <QPair>

bool FindUnnestedDot(QStringView S, qsizetype &P)
{
    int depth = 0;
    for (qsizetype i = 0; i < S.size(); ++i) {
        switch (S[i].unicode()) {
        case '<':
        case '{':
            ++depth;
            break;
        case '>':
        case '}':
            --depth;
            break;
        case '.':
            if (depth == 0) {
                P = i + 1;
                return true;
            }
            break;
        default:
            break;
        }
    }
    return false;
}

void AddSymbolRows(TITreeNode *Node, const TCompareDataList &Symbols, const std::vector<int> &Indexes,
                   qsizetype prefixLength)
{
    // The first child of each text under each parent: the child lookup stays constant-time where a
    // walk over the siblings would cost their number for every symbol.
    QHash<QPair<const TITreeNode *, QString>, TITreeNode *> firstChild;
    for (const int index : Indexes) {
        const QByteArrayView rest = Symbols.NameBytes(index).sliced(prefixLength);
        QString path = rest.startsWith('.')
                           ? QString::fromUtf8(rest.sliced(1)) + QStringLiteral(".< MetaData >")
                           : QString::fromUtf8(rest);
        const qint64 size = Symbols.Data(index);
        TITreeNode *parent = Node;
        qsizetype dot = 0;
        while (FindUnnestedDot(path, dot)) {
            QString head = path.left(dot - 1);
            path.remove(0, dot);
            if (head.isEmpty())
                head = QStringLiteral("???");
            TITreeNode *&child = firstChild[qMakePair(static_cast<const TITreeNode *>(parent), head)];
            if (child) {
                child->SetTag(child->Tag() + size);
            } else {
                child = parent->AddChild(head);
                child->SetTag(size);
            }
            parent = child;
        }
        TITreeNode *leaf = parent->AddChild(path);
        leaf->SetTag(size);
        const auto key = qMakePair(static_cast<const TITreeNode *>(parent), path);
        if (!firstChild.contains(key))
            firstChild.insert(key, leaf);
    }
}
