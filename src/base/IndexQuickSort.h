#pragma once
// Quicksort over any indexable collection through two callbacks: one compares the elements at two
// indexes, the other swaps them. The sort moves nothing itself, so parallel data can be sorted in
// place. It is not stable; which of two equal elements ends first follows from the algorithm, so
// keep it as it is.

#include <functional>

// Negative when element I sorts before element J, 0 when equal, positive when after.
using TIndexCompareMethod = std::function<int(int I, int J)>;
// Exchanges the elements at I and J.
using TIndexSwapMethod = std::function<void(int I, int J)>;
using TIndexCompareRef = TIndexCompareMethod;
using TIndexSwapRef = TIndexSwapMethod;

// Sorts the elements Lo..Hi inclusive; Ascending false reverses the order. Nothing happens when
// Lo >= Hi. Exceptions of the callbacks propagate, leaving the elements partially sorted.
void IndexQuickSort(int Lo, int Hi, bool Ascending, const TIndexCompareMethod &Compare,
                    const TIndexSwapMethod &Swap);
void IndexQuickSort(int Lo, int Hi, const TIndexCompareRef &Compare, bool Ascending,
                    const TIndexSwapRef &Swap);

// The algorithm itself, for callers whose callbacks must be inlined (millions of elements). The
// pivot is tracked by index, not copied: when a swap moves the pivot element its index follows it.
// Only the left part recurses; the right part is handled by the loop.
template <typename Compare, typename Swap>
void IndexQuickSortInline(int Lo, int Hi, bool Ascending, Compare &&compare, Swap &&swap)
{
    while (Lo < Hi) {
        int I = Lo;
        int J = Hi;
        int P = int((unsigned(Lo) + unsigned(Hi)) >> 1);
        do {
            if (Ascending) {
                while (compare(I, P) < 0)
                    ++I;
                while (compare(J, P) > 0)
                    --J;
            } else {
                while (compare(I, P) > 0)
                    ++I;
                while (compare(J, P) < 0)
                    --J;
            }
            if (I <= J) {
                swap(I, J);
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
                ++I;
                --J;
            }
        } while (I <= J);
        if (Lo < J)
            IndexQuickSortInline(Lo, J, Ascending, compare, swap);
        Lo = I;
    }
}
