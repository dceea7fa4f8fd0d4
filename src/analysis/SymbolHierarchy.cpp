#include "analysis/SymbolHierarchy.h"

#include "analysis/UnitSymbolIndex.h"
#include "tree/ITreeNodes.h"

#include <algorithm>
#include <functional>

namespace {

constexpr QByteArrayView EmptyLevelText = "???";
// The leaf of the bytes from a unit's start to its first public symbol.
constexpr QByteArrayView NoPublicSymbolUtf8 = "[no public symbol]";
constexpr QByteArrayView MetaDataLevel = "< MetaData >";

std::string_view View(QByteArrayView bytes)
{
    return std::string_view(bytes.data(), size_t(bytes.size()));
}

char16_t CodeUnit(QChar c)
{
    return c.unicode();
}

char16_t CodeUnit(char c)
{
    return quint8(c);
}

// The 0-based index of the first "." outside every pair of angle brackets and braces, -1 when
// there is none. The markers are ASCII, so UTF-16 and UTF-8 texts split at the same characters.
template <typename TText> qsizetype UnnestedDotIndex(const TText &S)
{
    int depth = 0;
    for (qsizetype i = 0; i < S.size(); ++i) {
        switch (CodeUnit(S[i])) {
        case '<':
        case '{':
            ++depth;
            break;
        case '>':
        case '}':
            --depth;
            break;
        case '.':
            if (depth == 0)
                return i;
            break;
        default:
            break;
        }
    }
    return -1;
}

} // namespace

bool FindUnnestedDot(QStringView S, qsizetype &P)
{
    const qsizetype index = UnnestedDotIndex(S);
    if (index < 0)
        return false;
    P = index + 1;
    return true;
}

size_t TSymbolRowBuilder::TKeyHash::operator()(const TKey &key) const
{
    return std::hash<std::string_view>()(key.Text) ^ (std::hash<const void *>()(key.Parent) * 31);
}

TITreeNode *TSymbolRowBuilder::Level(TITreeNode *Parent, QByteArrayView Text, qint64 Size)
{
    const auto [found, added] = FFirstChild.try_emplace({Parent, View(Text)}, nullptr);
    TITreeNode *&child = found->second;
    if (added) {
        child = Parent->AddChild(QString::fromUtf8(Text));
        child->SetTag(Size);
    } else {
        child->SetTag(child->Tag() + Size);
    }
    return child;
}

void TSymbolRowBuilder::Add(QByteArrayView FirstLevel, QByteArrayView Path, qint64 Size, int SymbolIndex)
{
    TITreeNode *parent = FNode;
    int depth = 1; // of the leaf
    if (!FirstLevel.isEmpty()) {
        parent = Level(parent, FirstLevel, Size);
        ++depth;
    }
    for (qsizetype dot; depth < MaxSymbolRowDepth && (dot = UnnestedDotIndex(Path)) >= 0; ++depth) {
        const QByteArrayView head = Path.first(dot);
        Path = Path.sliced(dot + 1);
        parent = Level(parent, head.isEmpty() ? EmptyLevelText : head, Size);
    }
    // A leaf is always a new row, but the first of its text is found by later paths.
    TITreeNode *leaf = parent->AddChild(QString::fromUtf8(Path));
    leaf->SetTag(Size);
    // Overloads share their text: the symbol tells them apart by its address.
    leaf->SetData(SymbolIndex + 1);
    FFirstChild.try_emplace({parent, View(Path)}, leaf);
}

void TSymbolRowBuilder::AddUnitRest(QByteArrayView FirstLevel, QByteArrayView Rest, qint64 Size,
                                    int SymbolIndex)
{
    if (!Rest.startsWith('.')) {
        Add(FirstLevel, Rest, Size, SymbolIndex);
        return;
    }
    const QByteArray &path =
        FOwnedPaths.emplace_back(Rest.sliced(1).toByteArray() + '.' + MetaDataLevel.toByteArray());
    Add(FirstLevel, path, Size, SymbolIndex);
}

bool IsMadeUpRowText(QStringView Text)
{
    for (const QByteArrayView madeUp : {NoPublicSymbolUtf8, MetaDataLevel, EmptyLevelText})
        if (Text == QLatin1String(madeUp.data(), madeUp.size()))
            return true;
    return false;
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
        rows.AddUnitRest({}, Symbols.NameBytes(index).sliced(prefixLength), Symbols.Data(index), index);
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
        rows.Add({}, NoPublicSymbolUtf8, firstAddress - Start);
    for (int i = first; i < last; ++i) {
        const qint64 next = i + 1 < last ? Symbols.Address(i + 1) : End;
        const qint64 size = next - Symbols.Address(i);
        const QByteArrayView name = Symbols.NameBytes(i);
        const size_t prefix = Units.UnitPrefixLength(std::string_view(name.data(), size_t(name.size())));
        if (prefix == 0)
            rows.Add({}, name, size, i);
        else if (name.first(qsizetype(prefix)) == unitName)
            rows.AddUnitRest({}, name.sliced(qsizetype(prefix) + 1), size, i);
        else
            rows.AddUnitRest(name.first(qsizetype(prefix)), name.sliced(qsizetype(prefix) + 1), size, i);
    }
}
