#include "base/IndexQuickSort.h"

void IndexQuickSort(int Lo, int Hi, bool Ascending, const TIndexCompareMethod &Compare,
                    const TIndexSwapMethod &Swap)
{
    IndexQuickSortInline(Lo, Hi, Ascending, Compare, Swap);
}

void IndexQuickSort(int Lo, int Hi, const TIndexCompareRef &Compare, bool Ascending,
                    const TIndexSwapRef &Swap)
{
    IndexQuickSortInline(Lo, Hi, Ascending, Compare, Swap);
}
