// FSymbols: symbols sized by the distance to the next known address.

#include "analysis/CompareDataList.h"

#include "base/IndexQuickSort.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A symbol list over its own text: each name is appended to the text and referenced by the item.
struct TSymbols
{
    QByteArray Text;
    std::vector<TSymbolItem> Items;

    TSymbols &Add(const char *name, qint64 address)
    {
        Items.push_back({address, quint32(Text.size()), quint32(strlen(name))});
        Text += name;
        return *this;
    }

    TCompareDataList List() const
    {
        TCompareDataList list(TMapText::FromBytes(Text));
        for (const TSymbolItem &item : Items)
            list.AddData(item);
        return list;
    }
};

std::vector<std::pair<QString, qint64>> Contents(const TCompareDataList &list)
{
    std::vector<std::pair<QString, qint64>> result;
    for (int i = 0; i < list.Count(); ++i)
        result.emplace_back(list.Name(i), list.Data(i));
    return result;
}

using TContents = std::vector<std::pair<QString, qint64>>;

} // namespace

TEST(CompareDataListTest, SizesByDistanceToTheNextAddress)
{
    struct TCase
    {
        const char *Name;
        TSymbols Symbols;
        std::vector<qint64> UnitStarts;
        qint64 End;
        TContents Expected;
    };
    const TCase cases[] = {
        {"units bound symbols, the end bounds the last",
         TSymbols().Add("A.X", 0).Add("A.Y", 16).Add("B.Z", 72),
         {0, 64},
         96,
         {{"A.X", 16}, {"A.Y", 48}, {"B.Z", 24}}},
        {"without an end the last symbol goes",
         TSymbols().Add("A.X", 0).Add("A.Y", 16).Add("B.Z", 72),
         {0, 64},
         -1,
         {{"A.X", 16}, {"A.Y", 48}}},
        {"file order does not matter",
         TSymbols().Add("B.Z", 72).Add("A.Y", 16).Add("A.X", 0),
         {0, 64},
         96,
         {{"A.X", 16}, {"A.Y", 48}, {"B.Z", 24}}},
        {"a unit above every symbol still bounds", TSymbols().Add("A.X", 0), {0, 40}, 96, {{"A.X", 40}}},
        {"an empty name acts as a boundary",
         TSymbols().Add("A.X", 0).Add("", 8).Add("A.Y", 24),
         {0},
         32,
         {{"A.X", 8}, {"A.Y", 8}}},
        {"an end below the last symbol drops it",
         TSymbols().Add("A.X", 0).Add("A.Y", 16),
         {0},
         8,
         {{"A.X", 16}}},
    };
    for (const TCase &c : cases) {
        TCompareDataList list = c.Symbols.List();
        list.FinishSizes(c.UnitStarts, c.End);
        EXPECT_EQ(Contents(list), c.Expected) << c.Name;
    }
}

TEST(CompareDataListTest, OneOfTwoSymbolsAtOneAddressSurvives)
{
    TCompareDataList list = TSymbols().Add("A.First", 16).Add("A.Second", 16).Add("A.Start", 0).List();
    list.FinishSizes({0}, 32);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Name(0), "A.Start");
    EXPECT_EQ(list.Data(1), 16);
}

// Which of two symbols at one address survives is decided by the library quicksort; the table's
// sort must leave exactly the order that sort leaves on the same input.
TEST(CompareDataListTest, AddressSortFollowsTheLibraryQuicksort)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<int> address(0, 40);
    TSymbols symbols;
    std::vector<QByteArray> names;
    for (int i = 0; i < 500; ++i)
        names.push_back("S" + QByteArray::number(i));
    for (const QByteArray &name : names)
        symbols.Add(name.constData(), address(random) * 4);

    TCompareDataList list = symbols.List();
    list.SortByAddress();

    std::vector<std::pair<qint64, QString>> reference;
    for (const QByteArray &name : names)
        reference.emplace_back(symbols.Items[reference.size()].Data, QString::fromLatin1(name));
    IndexQuickSort(
        0, int(reference.size()) - 1, true,
        [&](int I, int J) {
            return reference[size_t(I)].first < reference[size_t(J)].first
                       ? -1
                       : (reference[size_t(I)].first > reference[size_t(J)].first ? 1 : 0);
        },
        [&](int I, int J) { std::swap(reference[size_t(I)], reference[size_t(J)]); });

    for (int i = 0; i < list.Count(); ++i)
        ASSERT_EQ(list.Name(i), reference[size_t(i)].second) << "index " << i;
}
