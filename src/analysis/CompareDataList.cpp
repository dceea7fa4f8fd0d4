#include "analysis/CompareDataList.h"

#include "base/IndexQuickSort.h"

#include <algorithm>
#include <unordered_map>

QByteArrayView TCompareDataList::NameBytes(int index) const
{
    const TSymbolItem &item = FItems[size_t(index)];
    return QByteArrayView(FText.Bytes().constData() + item.NameOffset, item.NameLength);
}

int TCompareDataList::LowerBound(qint64 address) const
{
    const auto found =
        std::lower_bound(FItems.begin(), FItems.end(), address,
                         [](const TSymbolItem &item, qint64 value) { return item.Address < value; });
    return int(found - FItems.begin());
}

// The library's quicksort with its callbacks inlined (millions of symbols): the order it leaves
// equal addresses in decides which symbol survives, so it must be exactly that algorithm.
void TCompareDataList::QuickSort(int Lo, int Hi)
{
    IndexQuickSortInline(
        Lo, Hi, true, [this](int I, int J) { return CompareData(I, J); },
        [this](int I, int J) { Exchange(I, J); });
}

void TCompareDataList::SortByAddress()
{
    QuickSort(0, Count() - 1);
}

void TCompareDataList::FinishSizes(const std::vector<qint64> &unitStarts, qint64 endBoundary)
{
    if (FItems.empty())
        return;

    // A unit whose start some item already has adds no boundary; two units at one start add one.
    std::unordered_map<qint64, bool> startTaken;
    startTaken.reserve(unitStarts.size() * 2);
    for (const qint64 start : unitStarts)
        startTaken.emplace(start, false);
    for (const TSymbolItem &item : FItems) {
        const auto found = startTaken.find(item.Data);
        if (found != startTaken.end())
            found->second = true;
    }
    for (const qint64 start : unitStarts) {
        bool &taken = startTaken[start];
        if (!taken) {
            AddBoundary(start);
            taken = true;
        }
    }

    SortByAddress();
    // Appended after the sort: it is the highest address only when the segment really ends there.
    if (endBoundary > 0)
        AddBoundary(endBoundary);

    for (TSymbolItem &item : FItems)
        item.Address = item.Data;
    const size_t last = FItems.size() - 1;
    for (size_t j = 0; j < last; ++j) {
        const qint64 distance = qint64(quint64(FItems[j + 1].Data) - quint64(FItems[j].Data));
        if (distance > 0)
            FItems[j].Data = distance;
        else
            FItems[j].NameLength = 0;
    }
    FItems[last].NameLength = 0;

    FItems.erase(std::remove_if(FItems.begin(), FItems.end(),
                                [](const TSymbolItem &item) { return item.NameLength == 0; }),
                 FItems.end());
}
