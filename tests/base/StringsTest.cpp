#include "base/Strings.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <cstdio>
#include <limits>

namespace {

struct PositionCase
{
    const char *Name;
    qsizetype Actual;
    qsizetype Expected;
};

TEST(Strings, PositionsAreOneBasedWithZeroForNotFound)
{
    const QString Path = QStringLiteral("D:\\a\\b\\");
    const PositionCase Cases[] = {
        {"PosChar finds the first", PosChar(u"a:b:c", u':'), 2},
        {"PosChar from a start", PosChar(u"a:b:c", u':', 3), 4},
        {"PosChar start below 1 counts as 1", PosChar(u":b", u':', -5), 1},
        {"PosChar start past the end", PosChar(u"a:", u':', 3), 0},
        {"PosChar in empty text", PosChar(u"", u':'), 0},
        {"LastPosChar skips a final backslash", LastPosChar(Path, u'\\', Path.size() - 1), 5},
        {"LastPosChar from position 6", LastPosChar(Path, u'\\', 6), 5},
        {"LastPosChar start out of range searches from the end", LastPosChar(Path, u'\\', 99), 7},
        {"LastPosChar default searches from the end", LastPosChar(Path, u'\\'), 7},
        {"LastPosChar absent", LastPosChar(u"abc", u'\\', 2), 0},
        {"PosStr", PosStr(u"x in y in z", u" in "), 2},
        {"PosStr from a start", PosStr(u"x in y in z", u" in ", 3), 7},
        {"PosStr is case-sensitive", PosStr(u"x IN y", u"in"), 0},
        {"PosStr with an empty sub", PosStr(u"abc", u""), 0},
        {"PosStr with start 0", PosStr(u"abc", u"a", 0), 0},
        {"PosStr with start past the end", PosStr(u"abc", u"c", 4), 0},
        {"PosStr sub longer than text", PosStr(u"ab", u"abc"), 0},
        {"PosText folds ASCII", PosText(u"uses Unit1 IN 'u.pas'", u" in '"), 11},
        {"PosText does not fold other letters", PosText(u"xÉy", u"é"), 0},
        {"PosText from a start", PosText(u"aXaX", u"x", 3), 4},
        {"CountChar", CountChar(u'.', u"a.b..c"), 3},
    };
    for (const PositionCase &Case : Cases)
        EXPECT_EQ(Case.Actual, Case.Expected) << Case.Name;
}

struct TestCase
{
    const char *Name;
    bool Actual;
    bool Expected;
};

TEST(Strings, PrefixSuffixAndContainsTests)
{
    const TestCase Cases[] = {
        {"begins", StrBeginsWith(u" 0001:00401000", u" 0001:"), true},
        {"begins with an empty prefix", StrBeginsWith(u"abc", u""), false},
        {"begins with a longer prefix", StrBeginsWith(u"ab", u"abc"), false},
        {"begins with a long prefix", StrBeginsWith(u"  Address  Publics by Value", u"  Address"), true},
        {"begins is case-sensitive", StrBeginsWith(u"Detailed", u"detailed"), false},
        {"begins with char", StrBeginsWithChar(u"$x", u'$'), true},
        {"begins with char on empty text", StrBeginsWithChar(u"", u'$'), false},
        {"ends", StrEndsWith(u"Unit1.dfm", u".dfm"), true},
        {"ends is case-sensitive", StrEndsWith(u"Unit1.DFM", u".dfm"), false},
        {"ends with an empty suffix", StrEndsWith(u"abc", u""), false},
        {"ends with a longer suffix", StrEndsWith(u"fm", u".dfm"), false},
        {"ends with a suffix past 16 characters",
         StrEndsWith(u"C=CODE     S=.text    G=(none)", u"S=.text    G=(none)"), true},
        {"ends with char", StrEndsWithChar(u"a\\", u'\\'), true},
        {"ends with char on empty text", StrEndsWithChar(u"", u'\\'), false},
        {"ends text ignores case", StrEndsWithText(u"Unit1.DFM", u".dfm"), true},
        {"ends text exact", StrEndsWithText(u"Unit1.dfm", u".dfm"), true},
        {"ends text with an empty suffix", StrEndsWithText(u"abc", u""), true},
        {"ends text with a longer suffix", StrEndsWithText(u"dfm", u".dfm"), false},
        {"ends text differs", StrEndsWithText(u"Unit1.pas", u".dfm"), false},
        {"ends text beyond ASCII", StrEndsWithText(u"Fenêtre.DFM", u"ÊTRE.dfm"), true},
        {"contains", StrContains(u"0001:0000E9B8 S=.text", u"S=.text"), true},
        {"contains is case-sensitive", StrContains(u"s=.TEXT", u"S=.text"), false},
        {"contains an empty sub", StrContains(u"abc", u""), false},
        {"contains text ignores ASCII case", StrContainsText(u"Unit1 IN 'Unit1.pas'", u" in '"), true},
        {"contains text with an empty sub", StrContainsText(u"abc", u""), false},
    };
    for (const TestCase &Case : Cases)
        EXPECT_EQ(Case.Actual, Case.Expected) << Case.Name;
}

TEST(Strings, CommonPrefixLengthTextFoldsUpToLatin1)
{
    const PositionCase Cases[] = {
        {"empty", CommonPrefixLengthText(u"", u"abc"), 0},
        {"case ignored", CommonPrefixLengthText(u"UnitAbc", u"unita"), 5},
        {"first differs", CommonPrefixLengthText(u"abc", u"xbc"), 0},
        {"Latin-1 accents fold", CommonPrefixLengthText(u"élan", u"ÉLU"), 2},
        {"above 255 compare unfolded", CommonPrefixLengthText(u"ša", u"Ša"), 0},
        {"equal up to the shorter", CommonPrefixLengthText(u"Form", u"FORMS"), 4},
    };
    for (const PositionCase &Case : Cases)
        EXPECT_EQ(Case.Actual, Case.Expected) << Case.Name;
}

struct TextCase
{
    const char *Name;
    QString Actual;
    QString Expected;
};

void ExpectTexts(std::initializer_list<TextCase> Cases)
{
    for (const TextCase &Case : Cases)
        EXPECT_EQ(Case.Actual, Case.Expected) << Case.Name;
}

TEST(Strings, StrFieldSplitsAtEverySingleDelimiter)
{
    const QString Segment = QStringLiteral(" 0001:00401000 000A C=CODE");
    const QString Detailed =
        QStringLiteral(" 0001:0000E9B8 00000B30 C=CODE     S=.text    G=(none)   M=UnitA  ALIGN=4");
    ExpectTexts({
        {"leading delimiter makes field 0 empty", StrField(Segment, u' ', 0), ""},
        {"field 1", StrField(Segment, u' ', 1), "0001:00401000"},
        {"field 2", StrField(Segment, u' ', 2), "000A"},
        {"last field runs to the end", StrField(Segment, u' ', 3), "C=CODE"},
        {"field past the last", StrField(Segment, u' ', 9), ""},
        {"negative field", StrField(Segment, u' ', -1), ""},
        {"adjacent delimiters enclose an empty field", StrField(u"a  b", u' ', 1), ""},
        {"after the empty field", StrField(u"a  b", u' ', 2), "b"},
        {"empty text", StrField(u"", u' ', 0), ""},
        {"no delimiter", StrField(u"abc", u' ', 0), "abc"},
        {"unit entry of a detailed-map line", StrField(Detailed, u' ', 15), "M=UnitA"},
        {"padding field of a detailed-map line", StrField(Detailed, u' ', 7), ""},
        {"size of a detailed-map line", StrField(Detailed, u' ', 2), "00000B30"},
        {"last field of a detailed-map line", StrField(Detailed, u' ', 17), "ALIGN=4"},
    });
}

TEST(Strings, ExtractionAroundMarkers)
{
    const QString Symbol = QStringLiteral(" 0001:00401000 0000E3A4");
    ExpectTexts({
        {"between chars", StrBetweenChars(Symbol, u':', u' '), "00401000"},
        {"between chars, no close after open", StrBetweenChars(u"a:bc", u':', u' '), ""},
        {"between chars, no open runs from the start", StrBetweenChars(u"ab c", u':', u' '), "ab"},
        {"between", StrBetween(u"a.b.text", u".", u".text"), "b"},
        {"between, segment length", StrBetween(u"00401000 000A4E6C .text    CODE", u" ", u" .text"),
         "000A4E6C"},
        {"between, no stop", StrBetween(u"a.b", u".", u"!"), ""},
        {"between, absent start counts as position 0", StrBetween(u"abc!d", u"[[", u"!"), "bc"},
        {"between, stop before start is not seen", StrBetween(u"!a.b", u".", u"!"), ""},
        {"after char", StrAfterChar(u"a:b:c", u':'), "b:c"},
        {"after char, absent", StrAfterChar(u"abc", u':'), ""},
        {"before char", StrBeforeChar(u"a:b:c", u':'), "a"},
        {"before char, absent", StrBeforeChar(u"abc", u':'), "abc"},
        {"after 2nd char", StrAfterNthChar(u"a:b:c", u':', 2), "c"},
        {"after 0th char", StrAfterNthChar(u"a:b:c", u':', 0), "a:b:c"},
        {"after 3rd char of two", StrAfterNthChar(u"a:b:c", u':', 3), ""},
        {"before 2nd char", StrBeforeNthChar(u"a:b:c", u':', 2), "a:b"},
        {"before 0th char", StrBeforeNthChar(u"a:b:c", u':', 0), ""},
        {"before 3rd char of two", StrBeforeNthChar(u"a:b:c", u':', 3), "a:b:c"},
        {"after", StrAfter(u"x in y", u" in "), "y"},
        {"after, absent", StrAfter(u"x in y", u" IN "), ""},
        {"after, empty sub", StrAfter(u"x in y", u""), ""},
        {"after three blanks", StrAfter(u" 0001:00000010       UnitA.Proc", u"   "), "    UnitA.Proc"},
        {"before", StrBefore(u"x in y", u" in "), "x"},
        {"before, absent", StrBefore(u"x in y", u"!"), "x in y"},
        {"before, empty sub", StrBefore(u"x in y", u""), "x in y"},
        {"copy after pos", CopyAfterPos(u"abc", 1), "bc"},
        {"copy after pos 0", CopyAfterPos(u"abc", 0), "abc"},
        {"copy after the end", CopyAfterPos(u"abc", 3), ""},
        {"copy before pos", CopyBeforePos(u"abc", 3), "ab"},
        {"copy before pos 1", CopyBeforePos(u"abc", 1), ""},
        {"copy with start below 1", Copy(u"abc", -3, 2), "ab"},
        {"copy with a negative count", Copy(u"abc", 1, -1), ""},
        {"copy past the end", Copy(u"abc", 2, 100), "bc"},
    });
}

TEST(Strings, HexToInt64)
{
    const struct
    {
        const char16_t *Text;
        int64_t Expected;
    } Cases[] = {
        {u"0016F3A8", 0x16F3A8},
        {u"$FF", 255},
        {u"ff", 255},
        {u"0016F3A8H", -1},
        {u"00 1", -1},
        {u"", 0},
        {u"#1&2x3X4$", 0x1234},
        {u"0x10", 0x10},
        {u"FFFFFFFFFFFFFFFF", -1},
        {u"123456789ABCDEF01", 0x23456789ABCDEF01},
        // Only the low 8 bits of a character count: U+0141 reads as "A".
        {u"\u0141", 0xA},
    };
    for (const auto &Case : Cases)
        EXPECT_EQ(HexToInt64(Case.Text), Case.Expected) << QString::fromUtf16(Case.Text).toStdString();
}

TEST(Strings, StrToIntReadsDecimalAndHexadecimalIntegers)
{
    const struct
    {
        const char16_t *Text;
        bool Valid;
        int32_t Expected;
    } Cases[] = {
        {u"$00000B30", true, 0xB30},
        {u"$0000000000000B30", true, 0xB30},
        {u"$FFFFFFFF", true, -1},
        {u"$80000000", true, INT32_MIN},
        {u"$100000000", false, 0},
        {u"0x1f", true, 31},
        {u"X1F", true, 31},
        {u"-$10", true, -16},
        {u"  42", true, 42},
        {u"+7", true, 7},
        {u"2147483647", true, INT32_MAX},
        {u"-2147483648", true, INT32_MIN},
        {u"2147483648", false, 0},
        {u"42 ", false, 0},
        {u"4.2", false, 0},
        {u"$", false, 0},
        {u"0x", false, 0},
        {u"", false, 0},
        {u"-", false, 0},
        {u"$0000ZZZZ", false, 0},
    };
    for (const auto &Case : Cases) {
        int32_t Value = 12345;
        const QString Text = QString::fromUtf16(Case.Text);
        EXPECT_EQ(TryStrToInt(Text, Value), Case.Valid) << Text.toStdString();
        if (Case.Valid) {
            EXPECT_EQ(Value, Case.Expected) << Text.toStdString();
        }
    }
}

TEST(Strings, StrToIntRaisesConvertErrorWithTheText)
{
    try {
        StrToInt(u"$0000ZZZZ");
        FAIL() << "no error raised";
    } catch (const EConvertError &Error) {
        EXPECT_EQ(Error.Message(), "'$0000ZZZZ' is not a valid integer value");
    }
    EXPECT_EQ(StrToInt(u"$B30"), 0xB30);
}

TEST(Strings, StringReplaceAllForEveryLengthRelation)
{
    const QString Text = QStringLiteral("a--b--c");
    ExpectTexts({
        {"shorter", StringReplaceAll(u"--", u"-", Text), "a-b-c"},
        {"same length", StringReplaceAll(u"--", u"==", Text), "a==b==c"},
        {"longer", StringReplaceAll(u"--", u"<->", Text), "a<->b<->c"},
        {"removal", StringReplaceAll(u"--", u"", Text), "abc"},
        {"absent", StringReplaceAll(u"++", u"x", Text), Text},
        {"empty old", StringReplaceAll(u"", u"x", Text), Text},
        {"non-overlapping, left to right", StringReplaceAll(u"aa", u"b", u"aaa"), "ba"},
        {"no rescan of the replacement", StringReplaceAll(u"a", u"aa", u"aba"), "aabaa"},
        {"at both ends", StringReplaceAll(u"x", u"yz", u"xax"), "yzayz"},
        {"case-sensitive", StringReplaceAll(u"A", u"b", u"aA"), "ab"},
    });
}

TEST(Strings, QuotingAndAccents)
{
    ExpectTexts({
        {"quote", QuoteString(u"it's", u'\''), "'it''s'"},
        {"quote empty", QuoteString(u"", u'"'), "\"\""},
        {"accents", RemoveAccents(u"Crème Brûlée"), "Creme Brulee"},
        {"accent table corners", RemoveAccents(u"ÀÅÇÈÌÑÒÙÝàåçèìñòùýÿ"), "AACEINOUYaaceinouyy"},
        {"ANSI positions 138 to 159", RemoveAccents(u"\u008A\u008E\u009A\u009E\u009F"), "SZszY"},
        {"left unchanged", RemoveAccents(u"ÆÐ×ØÞßæð÷øþ"), "ÆÐ×ØÞßæð÷øþ"},
        {"above 255 unchanged", RemoveAccents(u"Šœ€"), "Šœ€"},
        {"yes", BoolToYN(true), "Y"},
        {"no", BoolToYN(false), "N"},
    });
}

TEST(Strings, TextToBool)
{
    const TestCase Cases[] = {
        {"yes", TextToBool(u"yes", false), true},
        {"minus one", TextToBool(u"-1", false), true},
        {"empty takes the default", TextToBool(u"", true), true},
        {"no", TextToBool(u"no", true), false},
        {"oui", TextToBool(u"Oui", false), true},
        {"vrai", TextToBool(u"v", false), true},
        {"ja", TextToBool(u"J", false), true},
        {"da", TextToBool(u"d", false), true},
        {"true", TextToBool(u"True", false), true},
        {"one", TextToBool(u"1", false), true},
        {"zero", TextToBool(u"0", true), false},
        {"minus ten", TextToBool(u"-10", true), false},
    };
    for (const TestCase &Case : Cases)
        EXPECT_EQ(Case.Actual, Case.Expected) << Case.Name;
}

TEST(Strings, Versions)
{
    EXPECT_EQ(ParseVersion(u"v1.2.30"), QList<int>({1, 2, 30}));
    EXPECT_EQ(ParseVersion(u"1..x"), QList<int>({1, -1, -1}));
    EXPECT_EQ(ParseVersion(u"V1"), QList<int>({-1}));
    EXPECT_EQ(ParseVersion(u""), QList<int>({-1}));
    EXPECT_EQ(ParseVersion(u"99999999999"), QList<int>({-1}));

    const TestCase Valid[] = {
        {"plain", IsValidVersion(u"1.4.0.0"), true},    {"with v", IsValidVersion(u"v1.4"), true},
        {"letter part", IsValidVersion(u"1.x"), false}, {"empty part", IsValidVersion(u"1..2"), false},
        {"sign", IsValidVersion(u"1.-2"), false},
    };
    for (const TestCase &Case : Valid)
        EXPECT_EQ(Case.Actual, Case.Expected) << Case.Name;

    const PositionCase Compare[] = {
        {"fewer parts", CompareVersions(u"v1.2", u"1.2.0"), -1},
        {"equal", CompareVersions(u"1.4", u"v1.4"), 0},
        {"first difference", CompareVersions(u"1.10.0", u"1.2.7"), 8},
        {"older", CompareVersions(u"1.2", u"1.3.9"), -1},
        {"largest part against an invalid one", CompareVersions(u"2147483647", u"x"), INT32_MAX},
    };
    for (const PositionCase &Case : Compare)
        EXPECT_EQ(Case.Actual, Case.Expected) << Case.Name;
}

TEST(Strings, TryTextToFloatIgnoresTheLocale)
{
    const struct
    {
        const char16_t *Text;
        bool Valid;
        double Expected;
    } Cases[] = {
        {u"1.5", true, 1.5},   {u"1,5", true, 1.5},    {u"-2.25e2", true, -225.0}, {u"+3", true, 3.0},
        {u"1E-2", true, 0.01}, {u".5", true, 0.5},     {u"5.", true, 5.0},         {u"0.1", true, 0.1},
        {u"12  ", true, 12.0}, {u"1e-400", true, 0.0}, {u" 12", false, 0},         {u"", false, 0},
        {u"   ", false, 0},    {u".", false, 0},       {u"1.2.3", false, 0},       {u"1,2.3", false, 0},
        {u"1e", false, 0},     {u"1e+", false, 0},     {u"e5", false, 0},          {u"--1", false, 0},
        {u"1-", false, 0},     {u"1x", false, 0},      {u"1e99999", false, 0},     {u"1e400", false, 0},
    };
    for (const auto &Case : Cases) {
        double Value = -99;
        const QString Text = QString::fromUtf16(Case.Text);
        EXPECT_EQ(TryTextToFloat(Text, Value), Case.Valid) << Text.toStdString();
        if (Case.Valid) {
            EXPECT_DOUBLE_EQ(Value, Case.Expected) << Text.toStdString();
        }
    }
}

TEST(Strings, StrToFloatRaisesOrTakesTheDefault)
{
    EXPECT_DOUBLE_EQ(StrToFloat(u"2.5"), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloatDef(u"abc", 7.0), 7.0);
    EXPECT_DOUBLE_EQ(StrToFloatDef(u"0,25", 7.0), 0.25);
    try {
        StrToFloat(u"abc");
        FAIL() << "no error raised";
    } catch (const EConvertError &Error) {
        EXPECT_EQ(Error.Message(), "Invalid floating point value: \"abc\"");
    }
}

TEST(Strings, ByteSwapsAndIndexError)
{
    QString Text = QString::fromUtf16(u"\u4100\u4200");
    SwapBytes16(Text);
    EXPECT_EQ(Text, "AB");

    uint32_t Values[] = {0x11223344u, 0xA0B0C0D0u};
    SwapBytes32(Values, 2);
    EXPECT_EQ(Values[0], 0x44332211u);
    EXPECT_EQ(Values[1], 0xD0C0B0A0u);

    try {
        RaiseIndexOutOfBounds(-1);
        FAIL() << "no error raised";
    } catch (const Exception &Error) {
        EXPECT_EQ(Error.Message(), "Index out of bounds: -1");
    }
}

TEST(Strings, DelimitedTextWriter)
{
    ExpectTexts({
        {"plain items", DelimitedTextFromItems({"a", "b"}, u',', u'"'), "a,b"},
        {"no items", DelimitedTextFromItems({}, u',', u'"'), ""},
        {"one empty item", DelimitedTextFromItems({""}, u',', u'"'), "\"\""},
        {"empty item among others", DelimitedTextFromItems({"a", "", "b"}, u',', u'"'), "a,,b"},
        {"blank, quote and delimiter are quoted",
         DelimitedTextFromItems({"a b", "say \"x\"", "c,d", "e\tf"}, u',', u'"'),
         "\"a b\",\"say \"\"x\"\"\",\"c,d\",\"e\tf\""},
        {"other delimiter and quote", DelimitedTextFromItems({"a;b", "c"}, u';', u'\''), "'a;b';c"},
    });
}

TEST(Strings, DelimitedTextReader)
{
    const struct
    {
        const char16_t *Text;
        QStringList Expected;
    } Cases[] = {
        {u"a,b,c", {"a", "b", "c"}},
        {u"  a , b", {"a", "b"}},
        {u"a,,b", {"a", "", "b"}},
        {u"a,", {"a", ""}},
        {u"a, ", {"a"}},
        {u"\"a b\",\"say \"\"x\"\"\"", {"a b", "say \"x\""}},
        {u"a b", {"a", "b"}},
        {u"\"unterminated", {"unterminated"}},
        {u"", {}},
        {u"\"\"", {""}},
    };
    for (const auto &Case : Cases) {
        const QString Text = QString::fromUtf16(Case.Text);
        EXPECT_EQ(ItemsFromDelimitedText(Text, u',', u'"'), Case.Expected) << Text.toStdString();
    }
    const QStringList Items = {"x", "a b", "q\"q", "", "c,d"};
    EXPECT_EQ(ItemsFromDelimitedText(DelimitedTextFromItems(Items, u',', u'"'), u',', u'"'), Items);
}

TEST(Strings, EightBitForms)
{
    EXPECT_TRUE(BeginsWithA("<?xml version", "<?xml "));
    EXPECT_FALSE(BeginsWithA("<?xml", ""));
    EXPECT_FALSE(BeginsWithA("<?x", "<?xml "));

    const QByteArray Html = "<HTML><Head><meta charset=\"x\">Title</HEAD>";
    EXPECT_EQ(StrBetweenTextA(Html, "<head>", "</head>"), "<meta charset=\"x\">Title");
    EXPECT_EQ(StrBetweenTextA(Html, "<head>", "</head>", 8), "");
    EXPECT_EQ(StrBetweenTextA(Html, "<head>", "</nothing>"), "");
    EXPECT_EQ(StrBetweenTextA(Html, "<body>", "</head>"), "");
    EXPECT_EQ(StrBetweenTextA("a=1;A=2", "a=", ";"), "1");
}

// A locale whose decimal separator is a comma, when the machine has one.
const char *CommaLocale()
{
    for (const char *Name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"})
        if (std::setlocale(LC_NUMERIC, Name) != nullptr)
            return Name;
    return nullptr;
}

TEST(Strings, NumbersAreFormattedWithAPointUnderACommaLocale)
{
    const std::string Previous = std::setlocale(LC_NUMERIC, nullptr);
    if (CommaLocale() == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    InitializeStringLibrary(QStringLiteral("/opt/quillon/quillon"));
    char Buffer[32];
    std::snprintf(Buffer, sizeof Buffer, "%.1f", 5.0);
    EXPECT_STREQ(Buffer, "5.0");
    EXPECT_EQ(QString::number(12.345, 'f', 2), "12.35");

    // Inside the development environment the process keeps its locale.
    CommaLocale();
    InitializeStringLibrary(QStringLiteral("C:/Program Files/Studio/BDS.EXE"));
    std::snprintf(Buffer, sizeof Buffer, "%.1f", 5.0);
    EXPECT_STREQ(Buffer, "5,0");
    std::setlocale(LC_NUMERIC, Previous.c_str());
}

} // namespace
