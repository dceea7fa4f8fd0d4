#include "base/IndexQuickSort.h"

namespace {

// The pivot is tracked by index, not copied: when a swap moves the pivot element its index
// follows it. Only the left part recurses; the right part is handled by the loop.
void SortRange(int Lo, int Hi, bool Ascending, const TIndexCompareMethod &Compare,
               const TIndexSwapMethod &Swap)
{
    while (Lo < Hi) {
        int I = Lo;
        int J = Hi;
        int P = int((unsigned(Lo) + unsigned(Hi)) >> 1);
        do {
            if (Ascending) {
                while (Compare(I, P) < 0)
                    ++I;
                while (Compare(J, P) > 0)
                    --J;
            } else {
                while (Compare(I, P) > 0)
                    ++I;
                while (Compare(J, P) < 0)
                    --J;
            }
            if (I <= J) {
                Swap(I, J);
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        if (Lo < J)
            SortRange(Lo, J, Ascending, Compare, Swap);
        Lo = I;
    }
}

} // namespace

void IndexQuickSort(int Lo, int Hi, bool Ascending, const TIndexCompareMethod &Compare,
                    const TIndexSwapMethod &Swap)
{
    SortRange(Lo, Hi, Ascending, Compare, Swap);
}

void IndexQuickSort(int Lo, int Hi, const TIndexCompareRef &Compare, bool Ascending,
                    const TIndexSwapRef &Swap)
{
    SortRange(Lo, Hi, Ascending, Compare, Swap);
}
