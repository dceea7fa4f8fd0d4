#pragma once
// FSymbols: the code symbols of one run, each a name and a 64-bit Data that holds the symbol's
// address while the list is read and its size once it is finished. Names are not copied: each item
// points into the MAP text, which the list keeps alive. Items with an empty name are unit and
// segment boundaries; they bound the symbol before them and disappear when the list is packed.

#include "analysis/MapText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

struct TSymbolItem
{
    qint64 Data = 0;
    quint32 NameOffset = 0; // byte offset of the name in the text
    quint32 NameLength = 0; // 0 for a boundary
    qint64 Address = 0;     // set when the list is finished, as Data becomes the size
};

class TCompareDataList
{
public:
    TCompareDataList() = default;
    // Text is the MAP text the items' names point into.
    explicit TCompareDataList(TMapText text, std::vector<TSymbolItem> items = {})
        : FText(std::move(text)), FItems(std::move(items))
    {}

    int Count() const { return int(FItems.size()); }
    const std::vector<TSymbolItem> &Items() const { return FItems; }
    qint64 Data(int index) const { return FItems[size_t(index)].Data; }
    // The address of a symbol of the finished list.
    qint64 Address(int index) const { return FItems[size_t(index)].Address; }
    // The index of the first item of the finished list whose address is Address or above.
    int LowerBound(qint64 address) const;
    QByteArrayView NameBytes(int index) const;
    QString Name(int index) const { return QString::fromUtf8(NameBytes(index)); }

    // Appends in file order; no duplicate check.
    void AddData(const TSymbolItem &item) { FItems.push_back(item); }
    void AddBoundary(qint64 address) { FItems.push_back({address, 0, 0}); }

    // Negative, 0 or positive as Data[I] is below, equal to or above Data[J] (all 64 bits).
    int CompareData(int I, int J) const
    {
        const qint64 a = FItems[size_t(I)].Data;
        const qint64 b = FItems[size_t(J)].Data;
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    void Exchange(int I, int J) { std::swap(FItems[size_t(I)], FItems[size_t(J)]); }

    // Turns the read symbols into sizes: adds a boundary for every unit start that no item has,
    // sorts by address with the library quicksort (which decides the survivor of two symbols at
    // one address), appends the end boundary when it is above 0, gives each item the distance to
    // the next address, and drops the boundaries, the symbols without a positive distance and the
    // last item. Afterwards Data is a size above 0, every name is non-empty and Address keeps
    // each item's address.
    void FinishSizes(const std::vector<qint64> &unitStarts, qint64 endBoundary);

    // Ascending by address with the algorithm of IndexQuickSort.
    void SortByAddress();

private:
    void QuickSort(int Lo, int Hi);

    TMapText FText;
    std::vector<TSymbolItem> FItems;
};
