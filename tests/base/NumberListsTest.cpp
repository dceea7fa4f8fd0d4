#include "base/NumberLists.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

template <typename T> std::vector<T> Values(const TNumberListOf<T> &List)
{
    return std::vector<T>(List.begin(), List.end());
}

QString AssignError(TNumberList &Target, const TNumberList &Source)
{
    try {
        Target.Assign(&Source);
    } catch (const EConvertError &Error) {
        return Error.Message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

TEST(Int64List, GrowsByAQuarterPlusEight)
{
    TInt64List List;
    EXPECT_EQ(List.Add(-1), 0);
    EXPECT_EQ(List.Capacity(), 8);
    std::vector<int> Capacities{8};
    for (int I = 1; I < 31; ++I) {
        EXPECT_EQ(List.Add(I), I);
        if (Capacities.back() != List.Capacity())
            Capacities.push_back(List.Capacity());
    }
    EXPECT_EQ(Capacities, std::vector<int>({8, 18, 30, 45}));
    EXPECT_EQ(List.Items(0), -1);
    EXPECT_EQ(List.Items(30), 30);
    List.Clear();
    EXPECT_EQ(List.Count(), 0);
    EXPECT_EQ(List.Capacity(), 0);
}

TEST(Int64List, SetCountAndSetCapacity)
{
    TInt64List List;
    List.SetCount(3);
    EXPECT_EQ(Values(List), std::vector<qint64>({0, 0, 0}));
    EXPECT_EQ(List.Capacity(), 3);
    List.SetItems(1, 5);
    List.SetItems(2, 6);
    // Slots given up by a shrinking count come back as zeros.
    List.SetCount(1);
    List.SetCount(3);
    EXPECT_EQ(Values(List), std::vector<qint64>({0, 0, 0}));
    List.SetItems(0, 9);
    List.SetCapacity(1);
    EXPECT_EQ(Values(List), std::vector<qint64>({9}));
}

TEST(NumberListAssign, ConvertsBetweenIntegerWidths)
{
    TIntegerList Narrow;
    Narrow.Add(-1);
    Narrow.Add(7);
    TInt64List Wide;
    Wide.Add(123);
    Wide.Assign(&Narrow);
    EXPECT_EQ(Values(Wide), std::vector<qint64>({-1, 7}));
    EXPECT_EQ(Wide.Capacity(), 2);

    Wide.SetItems(1, (qint64(1) << 32) + 5);
    Narrow.Assign(&Wide);
    EXPECT_EQ(Values(Narrow), std::vector<qint32>({-1, 5}));

    TInt64List Copy;
    Copy.Assign(&Wide);
    EXPECT_EQ(Values(Copy), Values(Wide));
    Copy.Assign(nullptr);
    EXPECT_EQ(Copy.Count(), 0);

    TDoubleList Doubles;
    Doubles.SetCount(2);
    Doubles.SetItems(1, 2.5);
    TDoubleList DoubleCopy;
    DoubleCopy.Assign(&Doubles);
    EXPECT_EQ(Values(DoubleCopy), std::vector<double>({0.0, 2.5}));
}

TEST(NumberListAssign, RejectsOtherKindsWithTheTargetClassName)
{
    TInt64List Wide;
    TIntegerList Narrow;
    TDoubleList Doubles;
    Wide.Add(1);
    EXPECT_EQ(AssignError(Wide, Doubles), QStringLiteral("TInt64List.Assign: got wrong class type !"));
    EXPECT_EQ(AssignError(Narrow, Doubles), QStringLiteral("TIntegerList.Assign : got wrong class type !"));
    EXPECT_EQ(AssignError(Doubles, Wide), QStringLiteral("TDoubleList.Assign : got wrong class type !"));
    EXPECT_EQ(Values(Wide), std::vector<qint64>({1}));
}

TEST(IntegerList, MovesValuesAroundByIndex)
{
    struct Case
    {
        const char *Name;
        std::function<void(TIntegerList &)> Edit;
        std::vector<qint32> Expected;
    };
    const Case Cases[] = {
        {"insert first", [](TIntegerList &L) { L.Insert(0, 9); }, {9, 0, 1, 2, 3}},
        {"insert at end", [](TIntegerList &L) { L.Insert(4, 9); }, {0, 1, 2, 3, 9}},
        {"delete", [](TIntegerList &L) { L.Delete(1); }, {0, 2, 3}},
        {"exchange", [](TIntegerList &L) { L.Exchange(0, 3); }, {3, 1, 2, 0}},
        {"move down", [](TIntegerList &L) { L.Move(0, 2); }, {1, 2, 0, 3}},
        {"move up", [](TIntegerList &L) { L.Move(3, 1); }, {0, 3, 1, 2}},
    };
    for (const Case &C : Cases) {
        SCOPED_TRACE(C.Name);
        TIntegerList List;
        for (int I = 0; I < 4; ++I)
            List.Add(I);
        C.Edit(List);
        EXPECT_EQ(Values(List), C.Expected);
    }
}

TEST(IntegerList, WrongIndexIsRefusedBeforeTouchingMemory)
{
    TIntegerList List;
    List.Add(1);
    EXPECT_THROW(List.Delete(1), EAssertionFailed);
    EXPECT_THROW(List.Insert(2, 0), EAssertionFailed);
    EXPECT_THROW(List.Exchange(0, -1), EAssertionFailed);
    EXPECT_EQ(Values(List), std::vector<qint32>({1}));
}
