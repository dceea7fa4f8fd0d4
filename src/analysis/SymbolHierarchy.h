#pragma once
// The rows under an opened unit: each symbol name is split at its dots into a path of rows
// (namespaces, classes, nested types) ending in a leaf; every row on the path adds up the sizes of
// the symbols that pass through it. Two groupings choose the symbols and their sizes: by name, the
// symbols whose name begins with the unit's name; by address, the symbols that lie in the unit's
// code, clipped at its end, with the code before the first of them as one leaf.

#include "analysis/CompareDataList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <deque>
#include <string_view>
#include <unordered_map>
#include <vector>

class TITreeNode;
class TUnitSymbolIndex;

// True, with P the 1-based position of the first "." of S outside every pair of angle brackets and
// braces; false when there is none (P unchanged). An unbalanced closer makes the depth negative, so
// no later dot splits.
bool FindUnnestedDot(QStringView S, qsizetype &P);

// Adds paths of rows under one node. Rows of the same text under one parent merge: the first row
// of that text takes the sizes of every later path through it, a leaf included. Paths are UTF-8
// views into text that outlives the builder (the MAP text): they are split without a copy and only
// the rows' own texts are converted.
// The deepest a symbol's path goes below its unit: a hostile name of a million dots would
// otherwise make a tree that every recursive walk (writers, sorts, painting) overflows the stack
// on. Real names nest a handful of levels; past the limit the rest stays whole in the leaf.
constexpr int MaxSymbolRowDepth = 64;

class TSymbolRowBuilder
{
public:
    explicit TSymbolRowBuilder(TITreeNode *Node) : FNode(Node) {}
    // The path is split at its unnested dots, at most MaxSymbolRowDepth rows deep, an empty level
    // shown as "???". A non-empty FirstLevel is one row above the path, taken whole. The leaf of a
    // symbol keeps its index in the symbol table plus one as its Data (see SymbolIndexOfRow);
    // other rows keep 0.
    void Add(QByteArrayView FirstLevel, QByteArrayView Path, qint64 Size, int SymbolIndex = -1);
    // The rest of a name after its unit prefix: a rest that begins with "." is the metadata of the
    // type that follows, the path without that dot and then "< MetaData >".
    void AddUnitRest(QByteArrayView FirstLevel, QByteArrayView Rest, qint64 Size, int SymbolIndex = -1);

private:
    struct TKey
    {
        const TITreeNode *Parent;
        std::string_view Text;
        bool operator==(const TKey &) const = default;
    };
    struct TKeyHash
    {
        size_t operator()(const TKey &key) const;
    };

    TITreeNode *Level(TITreeNode *Parent, QByteArrayView Text, qint64 Size);

    TITreeNode *FNode;
    // The first child of each text under each parent: constant-time where a walk over the
    // siblings would cost their number for every symbol.
    std::unordered_map<TKey, TITreeNode *, TKeyHash> FFirstChild;
    // Metadata paths are made, not found in the text; the keys point into them.
    std::deque<QByteArray> FOwnedPaths;
};

// True for the texts of rows that the hierarchy makes up rather than takes from a name: the code
// before a unit's first public symbol, a type's metadata and an empty level.
bool IsMadeUpRowText(QStringView Text);

// The index in the symbol table of the symbol a row stands for; -1 for the rows that stand for
// several (namespaces, classes) or for none.
int SymbolIndexOfRow(const TITreeNode *Row, int SymbolCount);

// Grouping by name: adds under Node the rows of the given symbols, in the given (address) order.
// prefixLength is the byte length of the row's text plus its dot, which every given name begins
// with. A name whose rest begins with "." is the unit's metadata of the type that follows:
// 'UnitA..TFoo' becomes the path TFoo, "< MetaData >".
void AddSymbolRows(TITreeNode *Node, const TCompareDataList &Symbols, const std::vector<int> &Indexes,
                   qsizetype prefixLength);

// Grouping by address: adds under Node the rows of the symbols in [Start, End), each sized to the
// next of them or End, and a "[no public symbol]" leaf for the bytes before the first, so that the
// rows add up to End - Start. A name that begins with the unit's own name and "." loses that
// prefix; one that begins with another unit's name (the longest that fits) gets that name as its
// first row; any other name is split from its start.
void AddUnitAddressRows(TITreeNode *Node, const TCompareDataList &Symbols, const TUnitSymbolIndex &Units,
                        qint64 Start, qint64 End);
