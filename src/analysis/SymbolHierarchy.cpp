#include "analysis/SymbolHierarchy.h"

#include "analysis/UnitSymbolIndex.h"
#include "tree/ITreeNodes.h"

#include <algorithm>

namespace {

// The path of a name's rest after its unit prefix: a rest that begins with "." is the metadata of
// the type that follows.
QString UnitRestPath(QByteArrayView rest)
{
    return rest.startsWith('.') ? QString::fromUtf8(rest.sliced(1)) + QStringLiteral(".< MetaData >")
                                : QString::fromUtf8(rest);
}

} // namespace

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

TITreeNode *TSymbolRowBuilder::Level(TITreeNode *Parent, const QString &Text, qint64 Size)
{
    TITreeNode *&child = FFirstChild[qMakePair(static_cast<const TITreeNode *>(Parent), Text)];
    if (child) {
        child->SetTag(child->Tag() + Size);
    } else {
        child = Parent->AddChild(Text);
        child->SetTag(Size);
    }
    return child;
}

void TSymbolRowBuilder::Add(const QString &FirstLevel, QString Path, qint64 Size, int SymbolIndex)
{
    TITreeNode *parent = FNode;
    if (!FirstLevel.isEmpty())
        parent = Level(parent, FirstLevel, Size);
    qsizetype dot = 0;
    while (FindUnnestedDot(Path, dot)) {
        QString head = Path.left(dot - 1);
        Path.remove(0, dot);
        if (head.isEmpty())
            head = QStringLiteral("???");
        parent = Level(parent, head, Size);
    }
    // A leaf is always a new row, but the first of its text is found by later paths.
    TITreeNode *leaf = parent->AddChild(Path);
    leaf->SetTag(Size);
    // Overloads share their text: the symbol tells them apart by its address.
    leaf->SetData(SymbolIndex + 1);
    const auto key = qMakePair(static_cast<const TITreeNode *>(parent), Path);
    if (!FFirstChild.contains(key))
        FFirstChild.insert(key, leaf);
}

int SymbolIndexOfRow(const TITreeNode *Row, int SymbolCount)
{
    if (!Row || !Row->Parent() || Row->Count() > 0)
        return -1;
    const int index = Row->Data() - 1;
    return index < SymbolCount ? index : -1;
}

void AddSymbolRows(TITreeNode *Node, const TCompareDataList &Symbols, const std::vector<int> &Indexes,
                   qsizetype prefixLength)
{
    TSymbolRowBuilder rows(Node);
    for (const int index : Indexes)
        rows.Add(QString(), UnitRestPath(Symbols.NameBytes(index).sliced(prefixLength)), Symbols.Data(index),
                 index);
}

void AddUnitAddressRows(TITreeNode *Node, const TCompareDataList &Symbols, const TUnitSymbolIndex &Units,
                        qint64 Start, qint64 End)
{
    if (End <= Start)
        return;
    const QByteArray unitName = Node->Text().toUtf8();
    const int first = Symbols.LowerBound(Start);
    const int last = Symbols.LowerBound(End);
    TSymbolRowBuilder rows(Node);
    const qint64 firstAddress = first < last ? Symbols.Address(first) : End;
    if (firstAddress > Start)
        rows.Add(QString(), QString::fromUtf16(NoPublicSymbolText), firstAddress - Start);
    for (int i = first; i < last; ++i) {
        const qint64 next = i + 1 < last ? Symbols.Address(i + 1) : End;
        const qint64 size = next - Symbols.Address(i);
        const QByteArrayView name = Symbols.NameBytes(i);
        const size_t prefix = Units.UnitPrefixLength(std::string_view(name.data(), size_t(name.size())));
        if (prefix == 0)
            rows.Add(QString(), QString::fromUtf8(name), size, i);
        else if (name.first(qsizetype(prefix)) == unitName)
            rows.Add(QString(), UnitRestPath(name.sliced(qsizetype(prefix) + 1)), size, i);
        else
            rows.Add(QString::fromUtf8(name.first(qsizetype(prefix))),
                     UnitRestPath(name.sliced(qsizetype(prefix) + 1)), size, i);
    }
}
