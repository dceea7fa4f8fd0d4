#include "base/XLists.h"
#include "base/Exception.h"
#include "base/UCharsetConvert.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

QStringList Items(const TXStringList &List)
{
    QStringList Result;
    for (const TXStringItem &Item : List)
        Result << Item.S;
    return Result;
}

QList<qint64> DataOf(const TXStringList &List)
{
    QList<qint64> Result;
    for (const TXStringItem &Item : List)
        Result << Item.Data;
    return Result;
}

// Items with Data = their position, so that the order of equal strings can be seen.
void Fill(TXStringList &List, const QStringList &Strings)
{
    for (int I = 0; I < Strings.size(); ++I)
        List.AddData(Strings[I], I);
}

template <typename Call> QString ErrorOf(Call &&Operation)
{
    try {
        Operation();
    } catch (const Exception &Error) {
        return Error.Message();
    }
    return QStringLiteral("<no error>");
}

int Sign(int Value)
{
    return (Value > 0) - (Value < 0);
}

} // namespace

TEST(CompareText, FoldsAsciiAndPutsShorterPrefixFirst)
{
    struct Case
    {
        const char16_t *A;
        const char16_t *B;
        int ExpectedSign;
    };
    const Case Cases[] = {
        {u"abc", u"ABD", -1},
        {u"ab", u"AB", 0},
        {u"ab", u"abc", -1},
        {u"abc", u"ab", 1},
        {u"", u"", 0},
        {u"", u"a", -1},
        {u"a", u"", 1},
        // Letters fold to upper case, so "_" (after "Z") sorts after every letter.
        {u"a_", u"AZ", 1},
        {u"Ärger", u"ärger", 0},
        {u"Ärger", u"ärgerlich", -1},
        {u"xÉTÉ", u"Xété", 0},
    };
    for (const Case &C : Cases) {
        SCOPED_TRACE(QString::fromUtf16(C.A).toStdString() + " / " + QString::fromUtf16(C.B).toStdString());
        EXPECT_EQ(Sign(CompareText(QString::fromUtf16(C.A), QString::fromUtf16(C.B))), C.ExpectedSign);
    }
    EXPECT_EQ(CompareText(QStringLiteral("ab"), QStringLiteral("abc")), -1);
    EXPECT_EQ(CompareText(QStringLiteral("a_"), QStringLiteral("aZ")), '_' - 'Z');
}

TEST(CompareText, OrdinalFormGivesUnitAndLengthDifferences)
{
    EXPECT_EQ(CompareStr(QStringLiteral("a"), QStringLiteral("B")), 'a' - 'B');
    EXPECT_LT(CompareStr(QStringLiteral("ab"), QStringLiteral("abc")), 0);
    EXPECT_EQ(CompareStr(QStringLiteral("ab"), QStringLiteral("ab")), 0);
}

TEST(XStringListText, SplitsAtEveryKindOfLineEnd)
{
    struct Case
    {
        QString Text;
        QStringList Expected;
    };
    const Case Cases[] = {
        {QStringLiteral("a\r\nb\rc\n\nd"), {"a", "b", "c", "", "d"}},
        {QStringLiteral("a\r\n"), {"a"}},
        {QStringLiteral("\r\n"), {""}},
        {QString(), {}},
        {QStringLiteral("a\n\rb"), {"a", "", "b"}},
        {QStringLiteral("a"), {"a"}},
        {QStringLiteral("a\nb") + QChar(0) + QStringLiteral("c\nd"), {"a", "b"}},
    };
    for (const Case &C : Cases) {
        SCOPED_TRACE(C.Text.toStdString());
        TXStringList List;
        List.SetText(C.Text);
        EXPECT_EQ(Items(List), C.Expected);
        EXPECT_EQ(DataOf(List), QList<qint64>(C.Expected.size(), 0));
    }
}

TEST(XStringListText, JoinsWithCrLfAfterEveryItem)
{
    TXStringList List;
    EXPECT_EQ(List.Text(), QString());
    List.Add(QStringLiteral("a"));
    List.Add(QString());
    EXPECT_EQ(List.Text(), QStringLiteral("a\r\n\r\n"));
}

TEST(XStringListText, SortedListSortsOnceAndKeepsDuplicates)
{
    TXStringList List;
    List.SetSorted(true);
    List.SetDuplicates(dupError);
    int Changes = 0;
    List.OnChange = [&](TXStringList *Sender) {
        EXPECT_EQ(Sender, &List);
        ++Changes;
    };
    List.SetText(QStringLiteral("c\nA\nb\na"));
    EXPECT_EQ(Items(List), QStringList({"a", "A", "b", "c"}));
    EXPECT_EQ(Changes, 1);
}

TEST(XStringListOrder, SortedAddInsertsBeforeEqualItems)
{
    TXStringList List;
    List.SetSorted(true);
    Fill(List, {"a", "b", "c"});
    EXPECT_EQ(List.Add(QStringLiteral("b")), 1);
    EXPECT_EQ(DataOf(List), QList<qint64>({0, 0, 1, 2}));
    EXPECT_EQ(List.IndexOf(QStringLiteral("B")), 1);
    int Index = -1;
    EXPECT_FALSE(List.Find(QStringLiteral("bb"), Index));
    EXPECT_EQ(Index, 3);
}

TEST(XStringListOrder, DuplicateSettingsOnAdd)
{
    struct Case
    {
        bool Sorted;
        TDuplicates Duplicates;
        int ExpectedIndex; // -2: raises
        int ExpectedCount;
    };
    const Case Cases[] = {
        {false, dupIgnore, 3, 3}, {false, dupError, -2, 3}, {false, dupAccept, 3, 4},
        {true, dupIgnore, 1, 3},  {true, dupError, -2, 3},  {true, dupAccept, 1, 4},
    };
    for (const Case &C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Sorted << " " << C.Duplicates);
        TXStringList List;
        List.SetSorted(C.Sorted);
        List.SetDuplicates(C.Duplicates);
        Fill(List, {"a", "b", "c"});
        if (C.ExpectedIndex == -2)
            EXPECT_EQ(ErrorOf([&] { List.Add(QStringLiteral("B")); }),
                      QStringLiteral("String list does not allow duplicates"));
        else
            EXPECT_EQ(List.Add(QStringLiteral("B")), C.ExpectedIndex);
        EXPECT_EQ(List.Count(), C.ExpectedCount);
    }
}

TEST(XStringListOrder, QuickSortKeepsItsOwnOrderOfEqualItems)
{
    TXStringList List;
    Fill(List, {"b", "a", "B", "A", "a", "b", "c"});
    List.SetSorted(true);
    EXPECT_EQ(Items(List), QStringList({"A", "a", "a", "b", "b", "B", "c"}));
    // A stable sort would give 1, 3, 4, 0, 2, 5, 6.
    EXPECT_EQ(DataOf(List), QList<qint64>({3, 4, 1, 5, 0, 2, 6}));
}

TEST(XStringListOrder, SortedAndCaseSensitiveSettings)
{
    TXStringList List;
    Fill(List, {"b", "a", "B"});
    List.SetSorted(true);
    EXPECT_EQ(Items(List), QStringList({"a", "B", "b"}));
    List.SetCaseSensitive(true);
    EXPECT_EQ(Items(List), QStringList({"B", "a", "b"}));
    EXPECT_EQ(List.IndexOf(QStringLiteral("A")), -1);
    List.SetSorted(false);
    List.Add(QStringLiteral("0"));
    EXPECT_EQ(Items(List), QStringList({"B", "a", "b", "0"}));
}

TEST(XStringListOrder, PutMovesOnSortedList)
{
    TXStringList List;
    List.SetSorted(true);
    Fill(List, {"a", "m"});
    List.Put(0, QStringLiteral("z"));
    EXPECT_EQ(Items(List), QStringList({"m", "z"}));
    EXPECT_EQ(DataOf(List), QList<qint64>({1, 0}));
    List.Put(1, QStringLiteral("n"));
    EXPECT_EQ(Items(List), QStringList({"m", "n"}));
    EXPECT_EQ(DataOf(List), QList<qint64>({1, 0}));
}

TEST(XStringListOrder, PutOfAStringPresentElsewhere)
{
    struct Case
    {
        TDuplicates Duplicates;
        QStringList Expected;
        QList<qint64> ExpectedData;
        QString ExpectedError;
    };
    const Case Cases[] = {
        {dupAccept, {"m", "Z", "z"}, {1, 0, 2}, QString()},
        {dupIgnore, {"m", "z"}, {1, 2}, QString()},
        // Refused before the item leaves the list.
        {dupError, {"a", "m", "z"}, {0, 1, 2}, QStringLiteral("String list does not allow duplicates")},
    };
    for (const Case &C : Cases) {
        SCOPED_TRACE(C.Duplicates);
        TXStringList List;
        List.SetSorted(true);
        List.SetDuplicates(C.Duplicates);
        Fill(List, {"a", "m", "z"});
        const QString Error = ErrorOf([&] { List.Put(0, QStringLiteral("Z")); });
        EXPECT_EQ(Error, C.ExpectedError.isEmpty() ? QStringLiteral("<no error>") : C.ExpectedError);
        EXPECT_EQ(Items(List), C.Expected);
        EXPECT_EQ(DataOf(List), C.ExpectedData);
    }
    // A new spelling of the item itself is no duplicate.
    TXStringList List;
    List.SetSorted(true);
    List.SetDuplicates(dupError);
    Fill(List, {"a", "m", "z"});
    List.Put(2, QStringLiteral("Z"));
    EXPECT_EQ(Items(List), QStringList({"a", "m", "Z"}));
}

TEST(XStringListLookup, IndexOfNameNeedsTheSeparatorRightAfterTheName)
{
    for (const bool Sorted : {false, true}) {
        SCOPED_TRACE(Sorted);
        TXStringList List;
        List.SetSorted(Sorted);
        Fill(List, {"Forms =x", "Forms", "Dialogs=y", "forms=D:\\x\\Forms.pas"});
        const int Found = List.IndexOfName(QStringLiteral("Forms"));
        ASSERT_GE(Found, 0);
        EXPECT_EQ(List.Get(Found), QStringLiteral("forms=D:\\x\\Forms.pas"));
        EXPECT_EQ(List.IndexOfName(QStringLiteral("Unit")), -1);
    }
}

TEST(XStringListLookup, ValueFromIndexAlwaysSplitsAtEquals)
{
    TXStringList List;
    List.SetNameValueSeparator(u':');
    Fill(List, {"a=b=c", "abc", "k:v"});
    EXPECT_EQ(List.GetValueFromIndex(0), QStringLiteral("b=c"));
    EXPECT_EQ(List.GetValueFromIndex(1), QString());
    EXPECT_EQ(List.GetValueFromIndex(2), QString());
    EXPECT_EQ(List.GetValueFromIndex(-1), QString());
    EXPECT_EQ(List.IndexOfName(QStringLiteral("K")), 2);
}

TEST(XStringListLookup, ObjectIsTheLowHalfOfData)
{
    TXStringList List;
    List.AddObject(QStringLiteral("a"), 7);
    EXPECT_EQ(List.GetData(0), 7);
    List.SetData(0, -1);
    EXPECT_EQ(List.GetObject(0), 0xFFFFFFFFu);
    EXPECT_EQ(List.IndexOfObject(0xFFFFFFFFu), -1);
    EXPECT_EQ(List.IndexOfData(-1), 0);
    List.PutObject(0, 0xFFFFFFFFu);
    EXPECT_EQ(List.GetData(0), 0xFFFFFFFFll);
    EXPECT_EQ(List.IndexOfObject(0xFFFFFFFFu), 0);
}

TEST(XStringListErrors, IndexesOutsideTheListRaise)
{
    TXStringList List;
    Fill(List, {"a", "b"});
    const std::pair<const char *, std::function<void()>> Cases[] = {
        {"Index out of bounds: 2", [&] { List.Get(2); }},
        {"Index out of bounds: -1", [&] { List.Get(-1); }},
        {"Index out of bounds: 5", [&] { List.GetObject(5); }},
        {"Index out of bounds: 2", [&] { List.GetData(2); }},
        {"Index out of bounds: 2", [&] { List.SetData(2, 1); }},
        {"Index out of bounds: -3", [&] { List.PutObject(-3, 1); }},
        {"Index out of bounds: 2", [&] { List.Put(2, QStringLiteral("x")); }},
        {"Index out of bounds: 2", [&] { List.Delete(2); }},
        {"Index out of bounds: 9", [&] { List.Exchange(9, 8); }},
        {"Index out of bounds: 8", [&] { List.Exchange(0, 8); }},
        {"Index out of bounds: 3", [&] { List.Insert(3, QStringLiteral("x")); }},
        {"Index out of bounds: -1", [&] { List.InsertObject(-1, QStringLiteral("x"), 1); }},
    };
    for (const auto &[Expected, Operation] : Cases) {
        SCOPED_TRACE(Expected);
        EXPECT_EQ(ErrorOf(Operation), QString::fromLatin1(Expected));
        EXPECT_EQ(Items(List), QStringList({"a", "b"}));
    }
    List.Insert(2, QStringLiteral("c"));
    EXPECT_EQ(Items(List), QStringList({"a", "b", "c"}));
}

TEST(XStringListErrors, InsertIntoSortedListRaises)
{
    TXStringList List;
    List.SetSorted(true);
    try {
        List.Insert(0, QStringLiteral("a"));
        FAIL() << "no error";
    } catch (const EStringListError &Error) {
        EXPECT_EQ(Error.Message(), QStringLiteral("Operation not allowed on sorted list"));
    }
    EXPECT_EQ(List.Count(), 0);
}

TEST(XStringListStorage, GrowsByAQuarterPlusFour)
{
    TXStringList List;
    QList<int> Capacities;
    for (int I = 0; I < 31; ++I) {
        List.Add(QString::number(I));
        if (Capacities.isEmpty() || Capacities.last() != List.Capacity())
            Capacities << List.Capacity();
    }
    EXPECT_EQ(Capacities, QList<int>({4, 9, 15, 22, 31}));
    List.Delete(0);
    EXPECT_EQ(List.Capacity(), 31);
    List.ClearKeepCapacity();
    EXPECT_EQ(List.Capacity(), 31);
    List.Add(QStringLiteral("x"));
    List.Clear();
    EXPECT_EQ(List.Capacity(), 0);

    Fill(List, {"a", "b"});
    EXPECT_EQ(ErrorOf([&] { List.SetCapacity(1); }), QStringLiteral("Index out of bounds: 1"));
    List.SetCapacity(2);
    EXPECT_EQ(List.Capacity(), 2);
    EXPECT_EQ(Items(List), QStringList({"a", "b"}));
}

TEST(XStringListStorage, EditingOperationsKeepStringsWithTheirData)
{
    TXStringList List;
    Fill(List, {"a", "b", "c", "d"});
    List.Delete(1);
    List.Insert(0, QStringLiteral("x"));
    List.Exchange(1, 3);
    EXPECT_EQ(Items(List), QStringList({"x", "d", "c", "a"}));
    EXPECT_EQ(DataOf(List), QList<qint64>({0, 3, 2, 0}));
}

TEST(XStringListBulk, PackTrimAllApplyToAllAndJoin)
{
    TXStringList List;
    Fill(List, {"", "a", "", "b"});
    List.Pack();
    EXPECT_EQ(Items(List), QStringList({"a", "b"}));
    EXPECT_EQ(DataOf(List), QList<qint64>({1, 3}));

    List.Clear();
    Fill(List, {QStringLiteral(" \ta\x01 "), QStringLiteral("\u00A0b "), QStringLiteral("  ")});
    List.TrimAll();
    EXPECT_EQ(Items(List), QStringList({"a", QStringLiteral("\u00A0b"), ""}));

    List.ApplyToAll([](const QString &S) { return S + QStringLiteral("!"); });
    EXPECT_EQ(Items(List), QStringList({"a!", QStringLiteral("\u00A0b!"), "!"}));

    List.Clear();
    EXPECT_EQ(List.Join(QStringLiteral(", "), QStringLiteral("\"")), QString());
    Fill(List, {"a\"b", "c"});
    EXPECT_EQ(List.Join(QStringLiteral(", "), QStringLiteral("\"")), QStringLiteral("\"a\"\"b\", \"c\""));
    EXPECT_EQ(List.Join(QStringLiteral("|")), QStringLiteral("a\"b|c"));
}

TEST(XStringListBulk, AssignAndAddStrings)
{
    TXStringList Source;
    Source.SetSorted(true);
    Source.SetDuplicates(dupIgnore);
    Source.SetCaseSensitive(true);
    Source.AddData(QStringLiteral("b"), qint64(1) << 40);
    Source.AddData(QStringLiteral("a"), -5);

    TXStringList Copy;
    Copy.Add(QStringLiteral("old"));
    Copy.Assign(&Source);
    EXPECT_TRUE(Copy.Sorted());
    EXPECT_EQ(Copy.Duplicates(), dupIgnore);
    EXPECT_TRUE(Copy.CaseSensitive());
    EXPECT_EQ(Items(Copy), QStringList({"a", "b"}));
    EXPECT_EQ(DataOf(Copy), QList<qint64>({-5, qint64(1) << 40}));

    Copy.AddStrings(QStringList({"c", "a", "A"}));
    EXPECT_EQ(Items(Copy), QStringList({"A", "a", "b", "c"}));

    Copy.Assign(&Copy);
    EXPECT_EQ(Copy.Count(), 4);
    Copy.Assign(nullptr);
    EXPECT_EQ(Copy.Count(), 0);

    TXStringList Unsorted;
    Fill(Unsorted, {"z", "y"});
    Unsorted.AddStrings(&Unsorted);
    EXPECT_EQ(Items(Unsorted), QStringList({"z", "y", "z", "y"}));
    EXPECT_EQ(DataOf(Unsorted), QList<qint64>({0, 1, 0, 1}));
}

TEST(XStringListNotify, ChangesAreBatchedByUpdates)
{
    TXStringList List;
    int Changes = 0;
    List.OnChange = [&](TXStringList *) { ++Changes; };
    List.Clear();
    EXPECT_EQ(Changes, 0);
    List.Add(QStringLiteral("a"));
    EXPECT_EQ(Changes, 1);
    List.Clear();
    EXPECT_EQ(Changes, 2);

    List.BeginUpdate();
    List.BeginUpdate();
    List.Add(QStringLiteral("b"));
    List.Add(QStringLiteral("a"));
    List.SetSorted(true);
    List.EndUpdate();
    EXPECT_EQ(Changes, 2);
    List.EndUpdate();
    EXPECT_EQ(Changes, 3);

    EXPECT_TRUE(ErrorOf([&] { List.EndUpdate(); }).startsWith(QStringLiteral("Unbalanced EndUpdate")));
    List.Add(QStringLiteral("c"));
    EXPECT_EQ(Changes, 4);
}

TEST(XStringListNotify, NewListsHaveTheDefaults)
{
    const std::unique_ptr<TXStringList> List = NewXStringList();
    EXPECT_EQ(List->Count(), 0);
    EXPECT_EQ(List->Capacity(), 0);
    EXPECT_FALSE(List->Sorted());
    EXPECT_FALSE(List->CaseSensitive());
    EXPECT_EQ(List->Duplicates(), dupAccept);
    EXPECT_EQ(List->NameValueSeparator(), QChar(u'='));
    EXPECT_FALSE(List->OnChange);
}

class XStringListFile : public ::testing::Test
{
protected:
    QString Write(const QByteArray &Bytes)
    {
        const QString Path = FFolder.filePath(QStringLiteral("lines.txt"));
        QFile File(Path);
        EXPECT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
        File.write(Bytes);
        return Path;
    }

    QTemporaryDir FFolder;
};

TEST_F(XStringListFile, DecodesByByteOrderMarkElseTheAnsiCodePage)
{
    SetAnsiCodePage(1252);
    struct Case
    {
        QByteArray Bytes;
        QStringList Expected;
    };
    const Case Cases[] = {
        {QByteArray("\xEF\xBB\xBF"
                    "caf\xC3\xA9\r\nx"),
         {QStringLiteral("caf\u00E9"), "x"}},
        {QByteArray("\xFF\xFE"
                    "a\0\n\0\xAC\x20",
                    8),
         {"a", QStringLiteral("\u20AC")}},
        {QByteArray("\xFE\xFF\0a\0\n\x20\xAC", 8), {"a", QStringLiteral("\u20AC")}},
        {QByteArray("\x80 x\r\ny"), {QStringLiteral("\u20AC x"), "y"}},
        {QByteArray(), {}},
    };
    for (const Case &C : Cases) {
        SCOPED_TRACE(C.Bytes.toHex().toStdString());
        TXStringList List;
        int Changes = 0;
        List.OnChange = [&](TXStringList *) { ++Changes; };
        List.Add(QStringLiteral("old"));
        List.LoadFromFile(Write(C.Bytes));
        EXPECT_EQ(Items(List), C.Expected);
        EXPECT_EQ(Changes, 2);
    }
}

TEST_F(XStringListFile, MissingFileRaisesAndKeepsTheContent)
{
    TXStringList List;
    List.Add(QStringLiteral("old"));
    EXPECT_THROW(List.LoadFromFile(FFolder.filePath(QStringLiteral("missing.txt"))), EInOutError);
    EXPECT_THROW(List.LoadFromFile(FFolder.path()), EInOutError);
    EXPECT_EQ(Items(List), QStringList({"old"}));
}
