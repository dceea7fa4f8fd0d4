#include "base/IndexQuickSort.h"
#include "base/XLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// Values sorted through the two callbacks, counting the calls.
struct SortedValues
{
    std::vector<int> Values;
    int Compares = 0;
    int Swaps = 0;

    TIndexCompareMethod Compare()
    {
        return [this](int I, int J) {
            ++Compares;
            return Values[size_t(I)] - Values[size_t(J)];
        };
    }
    TIndexSwapMethod Swap()
    {
        return [this](int I, int J) {
            ++Swaps;
            std::swap(Values[size_t(I)], Values[size_t(J)]);
        };
    }
};

} // namespace

TEST(IndexQuickSort, BothFormsSortBothWays)
{
    struct Case
    {
        bool Ascending;
        std::vector<int> Expected;
    };
    const Case Cases[] = {{true, {1, 2, 3}}, {false, {3, 2, 1}}};
    for (const Case &C : Cases) {
        SCOPED_TRACE(C.Ascending);
        SortedValues Method{{3, 1, 2}};
        IndexQuickSort(0, 2, C.Ascending, Method.Compare(), Method.Swap());
        EXPECT_EQ(Method.Values, C.Expected);
        SortedValues Ref{{3, 1, 2}};
        IndexQuickSort(0, 2, Ref.Compare(), C.Ascending, Ref.Swap());
        EXPECT_EQ(Ref.Values, C.Expected);
    }
}

TEST(IndexQuickSort, EmptyRangesCallNothing)
{
    for (const auto &[Lo, Hi] : {std::pair{0, 0}, std::pair{5, 2}}) {
        SortedValues Sorted{{3, 1, 2}};
        IndexQuickSort(Lo, Hi, true, Sorted.Compare(), Sorted.Swap());
        EXPECT_EQ(Sorted.Compares + Sorted.Swaps, 0);
    }
}

TEST(IndexQuickSort, SortsOnlyTheGivenRange)
{
    SortedValues Sorted{{9, 4, 3, 2, 1, 0}};
    IndexQuickSort(1, 4, true, Sorted.Compare(), Sorted.Swap());
    EXPECT_EQ(Sorted.Values, std::vector<int>({9, 1, 2, 3, 4, 0}));
}

TEST(IndexQuickSort, EqualElementsEndInTheAlgorithmsOwnOrder)
{
    // Keys with their original positions; a stable sort would keep 1, 3, 5 first.
    std::vector<std::pair<int, int>> Items{{3, 0}, {1, 1}, {3, 2}, {1, 3}, {2, 4}, {1, 5}, {3, 6}, {2, 7}};
    IndexQuickSort(
        0, int(Items.size()) - 1, true,
        [&](int I, int J) { return Items[size_t(I)].first - Items[size_t(J)].first; },
        [&](int I, int J) { std::swap(Items[size_t(I)], Items[size_t(J)]); });
    std::vector<int> Positions;
    for (const auto &Item : Items)
        Positions.push_back(Item.second);
    EXPECT_EQ(Positions, std::vector<int>({3, 5, 1, 7, 4, 2, 6, 0}));
}

TEST(IndexQuickSort, AgreesWithTheStringListSort)
{
    const QStringList Strings{"b", "a", "B", "A", "a", "b", "c", "_", "Z", "z", "ä", "Ä"};
    TXStringList ByList;
    TXStringList ByIndex;
    for (int I = 0; I < Strings.size(); ++I) {
        ByList.AddData(Strings[I], I);
        ByIndex.AddData(Strings[I], I);
    }
    ByList.SetSorted(true);
    IndexQuickSort(
        0, ByIndex.Count() - 1, true,
        [&](int I, int J) { return CompareText(ByIndex.Get(I), ByIndex.Get(J)); },
        [&](int I, int J) { ByIndex.Exchange(I, J); });
    for (int I = 0; I < Strings.size(); ++I)
        EXPECT_EQ(ByIndex.GetData(I), ByList.GetData(I)) << I;
}

TEST(IndexQuickSort, AlwaysEqualCompareTerminatesWithTheSameElements)
{
    SortedValues Sorted{{5, 4, 3, 2, 1, 0, 6}};
    IndexQuickSort(
        0, 6, true, [](int, int) { return 0; }, Sorted.Swap());
    EXPECT_GT(Sorted.Swaps, 0);
    std::sort(Sorted.Values.begin(), Sorted.Values.end());
    EXPECT_EQ(Sorted.Values, std::vector<int>({0, 1, 2, 3, 4, 5, 6}));
}

TEST(IndexQuickSort, CallbackErrorsPropagate)
{
    SortedValues Sorted{{3, 1, 2}};
    EXPECT_THROW(IndexQuickSort(
                     0, 2, true, [](int, int) -> int { throw std::runtime_error("compare"); }, Sorted.Swap()),
                 std::runtime_error);
}
