#pragma once
// The libraries' object-list merge sort: top-down, one temporary buffer. The right element goes
// first only on a strict comparison, so equal elements keep their order in both directions (and
// descending is not the reverse of ascending where keys tie). A template, so that comparers that
// read a node field directly are inlined.

#include "tree/ITreeNodes.h"

#include <algorithm>

namespace StableMergeSortDetail {

template <typename TCompare>
void SortRange(TITreeNodeList &List, TITreeNodeList &Buffer, int Lo, int Hi, const TCompare &Compare,
               bool Descending)
{
    if (Lo >= Hi)
        return;
    const int Mid = (Lo + Hi) / 2;
    SortRange(List, Buffer, Lo, Mid, Compare, Descending);
    SortRange(List, Buffer, Mid + 1, Hi, Compare, Descending);
    int Left = Lo;
    int Right = Mid + 1;
    int Out = Lo;
    while (Left <= Mid && Right <= Hi) {
        const int Result = Compare(List[size_t(Left)], List[size_t(Right)]);
        const bool TakeRight = Descending ? Result < 0 : Result > 0;
        Buffer[size_t(Out++)] = TakeRight ? List[size_t(Right++)] : List[size_t(Left++)];
    }
    while (Left <= Mid)
        Buffer[size_t(Out++)] = List[size_t(Left++)];
    while (Right <= Hi)
        Buffer[size_t(Out++)] = List[size_t(Right++)];
    std::copy(Buffer.begin() + Lo, Buffer.begin() + Hi + 1, List.begin() + Lo);
}

} // namespace StableMergeSortDetail

// Compare(A, B) is negative when A sorts first in ascending order.
template <typename TCompare>
void StableMergeSort(TITreeNodeList &List, const TCompare &Compare, bool Descending)
{
    TITreeNodeList Buffer(List.size());
    StableMergeSortDetail::SortRange(List, Buffer, 0, int(List.size()) - 1, Compare, Descending);
}
