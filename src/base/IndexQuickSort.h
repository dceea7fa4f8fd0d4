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
