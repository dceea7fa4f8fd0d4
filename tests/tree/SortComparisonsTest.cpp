#include "tree/SortComparisons.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

int SignOf(int Value)
{
    return (Value > 0) - (Value < 0);
}

// Date texts are read with the default locale; each case names the one it needs.
class DefaultLocale
{
public:
    explicit DefaultLocale(const QLocale &Locale) : FSaved(QLocale()) { QLocale::setDefault(Locale); }
    ~DefaultLocale() { QLocale::setDefault(FSaved); }

private:
    QLocale FSaved;
};

const QLocale British(QLocale::English, QLocale::UnitedKingdom);
const QLocale American(QLocale::English, QLocale::UnitedStates);

struct TNumericCase
{
    QString Text;
    double Value;
};

class NumericSortValueTest : public ::testing::TestWithParam<TNumericCase>
{
};

TEST_P(NumericSortValueTest, ReadsIntegersAndDecimalsElseZero)
{
    EXPECT_DOUBLE_EQ(NumericSortValue(GetParam().Text), GetParam().Value) << GetParam().Text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Texts, NumericSortValueTest,
                         ::testing::Values(TNumericCase{"12", 12}, TNumericCase{"  -7", -7},
                                           TNumericCase{"$1F", 31}, TNumericCase{"0x10", 16},
                                           TNumericCase{"12.3", 12.3}, TNumericCase{" 0.5", 0.5},
                                           TNumericCase{"-", 0}, TNumericCase{"", 0},
                                           TNumericCase{"12 units", 0}, TNumericCase{"abc", 0}));

TEST(CompareNumericTexts, OrdersByValueWithoutWrapAround)
{
    EXPECT_LT(CompareNumericTexts("9.9", "12.3"), 0);
    EXPECT_EQ(CompareNumericTexts("-", "0"), 0);
    EXPECT_GT(CompareNumericTexts("2147483647", "-1"), 0);
    EXPECT_LT(CompareNumericTexts("-", "0.1"), 0);
}

struct TSmartCase
{
    QLocale Locale;
    QString S;
    QString T;
    int ExpectedSign;
};

class SmartCompareTest : public ::testing::TestWithParam<TSmartCase>
{
};

TEST_P(SmartCompareTest, DatesNumbersVersionsThenText)
{
    const TSmartCase &Case = GetParam();
    const DefaultLocale Locale(Case.Locale);
    EXPECT_EQ(SignOf(SmartCompare(Case.S, Case.T)), Case.ExpectedSign)
        << Case.S.toStdString() << " vs " << Case.T.toStdString();
    EXPECT_EQ(SignOf(SmartCompare(Case.T, Case.S)), -Case.ExpectedSign);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SmartCompareTest,
    ::testing::Values(TSmartCase{British, "10/01/2013", "11/01/2013", -1},
                      // Day first under one locale, month first under the other.
                      TSmartCase{British, "10/01/2013", "09/02/2013", -1},
                      TSmartCase{American, "10/01/2013", "09/02/2013", 1},
                      TSmartCase{British, "01/01/2013 10:00", "01/01/2013 9:30", 1},
                      TSmartCase{British, "9:45", "10:30", -1}, TSmartCase{British, "2", "10", -1},
                      TSmartCase{British, "-1.5", "1", -1}, TSmartCase{British, "v1.9", "v1.10", -1},
                      TSmartCase{British, "v1.2", "v1.2.1", -1}, TSmartCase{British, "v2", "v2", 0},
                      // Not a version (no lowercase v, or a part that is no number): plain text.
                      TSmartCase{British, "V1.9", "V1.10", 1}, TSmartCase{British, "v1.x", "v1.10", 1},
                      TSmartCase{British, "abc", "ABD", -1}, TSmartCase{British, "ab", "abc", -1},
                      TSmartCase{British, "32/01/2013", "10", 1}));

struct TDateTimeCase
{
    QString Text;
    bool Valid;
    double Value;
};

class TextToDateTimeTest : public ::testing::TestWithParam<TDateTimeCase>
{
};

TEST_P(TextToDateTimeTest, CountsDaysFromTheZeroDate)
{
    const DefaultLocale Locale(British);
    double Value = -1;
    EXPECT_EQ(TryTextToDateTime(GetParam().Text, Value), GetParam().Valid) << GetParam().Text.toStdString();
    if (GetParam().Valid) {
        EXPECT_DOUBLE_EQ(Value, GetParam().Value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextToDateTimeTest,
    ::testing::Values(TDateTimeCase{"30/12/1899", true, 0}, TDateTimeCase{"31/12/1899 12:00", true, 1.5},
                      TDateTimeCase{"01/01/00", true, 36526}, TDateTimeCase{"18:00", true, 0.75},
                      TDateTimeCase{"6:00 PM", true, 0.75}, TDateTimeCase{"31/02/2013", false, 0},
                      TDateTimeCase{"12/2013", false, 0}, TDateTimeCase{"25:00", false, 0},
                      TDateTimeCase{"", false, 0}, TDateTimeCase{"soon", false, 0}));

TEST(CompareDateTimeTexts, TextsThatDoNotConvertAreTheZeroDate)
{
    const DefaultLocale Locale(British);
    EXPECT_LT(CompareDateTimeTexts("29/12/1899", "-"), 0);
    EXPECT_EQ(CompareDateTimeTexts("30/12/1899", "never"), 0);
    EXPECT_GT(CompareDateTimeTexts("02/01/2013", "01/01/2013 23:59"), 0);
}

struct TSeparatedCase
{
    QString S;
    QString T;
    int ExpectedSign;
};

class SeparatedTextTest : public ::testing::TestWithParam<TSeparatedCase>
{
};

TEST_P(SeparatedTextTest, ComparesTokenByToken)
{
    const TSeparatedCase &Case = GetParam();
    EXPECT_EQ(SignOf(CompareSeparatedText(Case.S, Case.T)), Case.ExpectedSign)
        << Case.S.toStdString() << " vs " << Case.T.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Texts, SeparatedTextTest,
                         ::testing::Values(TSeparatedCase{"a-2", "a-10", -1}, TSeparatedCase{"x y", "X_Y", 0},
                                           TSeparatedCase{"a.b", "a", 1},
                                           // Two separators in a row make an empty token.
                                           TSeparatedCase{"a--b", "a-b", -1}, TSeparatedCase{"b.1", "a.2", 1},
                                           TSeparatedCase{"", "", 0},
                                           // Characters above 127 belong to the token.
                                           TSeparatedCase{"caf\u00e9-2", "caf\u00e9-10", -1}));

struct THtmlCase
{
    QString Markup;
    QString Plain;
};

class HtmlToPlainTextTest : public ::testing::TestWithParam<THtmlCase>
{
};

TEST_P(HtmlToPlainTextTest, RemovesTagsAndDecodesReferences)
{
    EXPECT_EQ(HTMLToPlainText(GetParam().Markup), GetParam().Plain);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HtmlToPlainTextTest,
    ::testing::Values(THtmlCase{"plain", "plain"}, THtmlCase{"<b>bold</b> text", "bold text"},
                      THtmlCase{"a &amp; b &lt;c&gt;", "a & b <c>"}, THtmlCase{"&#65;&#x42;", "AB"},
                      THtmlCase{"&unknown; & x", "&unknown; & x"}, THtmlCase{"cut <here", "cut "}));

} // namespace
