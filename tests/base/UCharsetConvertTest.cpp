#include "base/UCharsetConvert.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QByteArray Bytes(std::initializer_list<int> Values)
{
    QByteArray Result;
    for (const int Value : Values)
        Result.append(char(Value));
    return Result;
}

// Tests that read the ANSI code page run under 1252 and leave the process setting as they found it.
class AnsiCodePageScope
{
public:
    explicit AnsiCodePageScope(int CodePage) : FPrevious(AnsiCodePage()) { SetAnsiCodePage(CodePage); }
    ~AnsiCodePageScope() { SetAnsiCodePage(FPrevious); }

private:
    int FPrevious;
};

TEST(CharsetConvert, DetectEncodingFindsMarksAndUnmarkedUnicode)
{
    const struct
    {
        const char *Name;
        QByteArray Input;
        uint8_t Kind;
        uint8_t CharSize;
        bool BigEndian;
        QByteArray Preamble;
        QString EncodingName;
    } Cases[] = {
        {"UTF-8 mark", Bytes({0xEF, 0xBB, 0xBF, 0x41}), 2, 1, false, Bytes({0xEF, 0xBB, 0xBF}), "utf-8"},
        {"UTF-32 LE mark before UTF-16 LE", Bytes({0xFF, 0xFE, 0, 0, 0x41, 0, 0, 0}), 2, 4, false,
         Bytes({0xFF, 0xFE, 0, 0}), "utf-32"},
        {"UTF-32 BE mark", Bytes({0, 0, 0xFE, 0xFF}), 2, 4, true, Bytes({0, 0, 0xFE, 0xFF}), "utf-32"},
        {"UTF-16 LE mark", Bytes({0xFF, 0xFE, 0x41, 0}), 2, 2, false, Bytes({0xFF, 0xFE}), "utf-16"},
        {"UTF-16 BE mark", Bytes({0xFE, 0xFF, 0, 0x41}), 2, 2, true, Bytes({0xFE, 0xFF}), "utf-16"},
        {"unmarked UTF-16 LE", Bytes({0x41, 0, 0x42, 0}), 2, 2, false, {}, "utf-16"},
        {"unmarked UTF-16 BE", Bytes({0, 0x41, 0, 0x42}), 2, 2, true, {}, "utf-16"},
        {"unmarked UTF-32 LE", Bytes({0x41, 0, 0, 0, 0x42, 0, 0, 0}), 2, 4, false, {}, "utf-32"},
        {"unmarked UTF-32 BE", Bytes({0, 0, 0, 0x41, 0, 0, 0, 0x42}), 2, 4, true, {}, "utf-32"},
        {"unmarked UTF-32 needs 8 bytes", Bytes({0x41, 0, 0, 0}), 0, 1, false, {}, ""},
        {"zeros in another pattern", Bytes({0x41, 0, 0, 0x42}), 0, 1, false, {}, ""},
        {"plain ASCII", "Start         Length", 0, 1, false, {}, ""},
        {"too short for unmarked Unicode", Bytes({0x41, 0, 0x42}), 0, 1, false, {}, ""},
        {"empty", {}, 0, 1, false, {}, ""},
    };
    for (const auto &Case : Cases) {
        const TStringEncoding Encoding = DetectEncoding(Case.Input);
        EXPECT_EQ(Encoding.Kind, Case.Kind) << Case.Name;
        EXPECT_EQ(Encoding.CharSize, Case.CharSize) << Case.Name;
        EXPECT_EQ(Encoding.BigEndian, Case.BigEndian) << Case.Name;
        EXPECT_EQ(Encoding.Preamble, Case.Preamble) << Case.Name;
        EXPECT_EQ(Encoding.Name, Case.EncodingName) << Case.Name;
    }
}

TEST(CharsetConvert, DetectEncodingReadsDeclaredCharsets)
{
    const struct
    {
        const char *Input;
        uint8_t Kind;
        QString Name;
    } Cases[] = {
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/>", 2, "UTF-8"},
        {"<?xml version=\"1.0\" ENCODING=\"windows-1252\"?>", 1, "windows-1252"},
        {"<?xml version=\"1.0\"?><a encoding=\"koi8-r\"/>", 0, ""},
        {"<?xml version=\"1.0\" encoding=\"\"?>", 0, ""},
        {"<?xml version=\"1.0\" encoding='utf-8'?>", 2, "utf-8"},
        {"<?xml version='1.0' encoding='windows-1251'?>", 1, "windows-1251"},
        {"<?XML encoding=\"utf-8\"?>", 0, ""},
        {"<html><head><meta content=\"text/html; charset=koi8-r\"></head>", 1, "koi8-r"},
        {"  <!-- x --><HTML><HEAD><META charset=utf-8\"></HEAD>", 2, "utf-8"},
        {"<html><head><meta charset=\"koi8-r\"></head>", 0, ""},
        {"<html><body>charset=koi8-r\"</body>", 0, ""},
        {"0123456789<html><head>charset=koi8-r\"</head>", 0, ""},
    };
    for (const auto &Case : Cases) {
        const TStringEncoding Encoding = DetectEncoding(QByteArray(Case.Input));
        EXPECT_EQ(Encoding.Kind, Case.Kind) << Case.Input;
        EXPECT_EQ(Encoding.Name, Case.Name) << Case.Input;
        EXPECT_EQ(Encoding.CharSize, 1) << Case.Input;
        EXPECT_TRUE(Encoding.Preamble.isEmpty()) << Case.Input;
    }
}

TEST(CharsetConvert, BytesToTextDecodesEveryDetectedForm)
{
    const AnsiCodePageScope Ansi(1252);
    const struct
    {
        const char *Name;
        QByteArray Input;
        QString Expected;
    } Cases[] = {
        {"UTF-8 mark", Bytes({0xEF, 0xBB, 0xBF, 0x41, 0x42}), "AB"},
        {"UTF-16 LE mark", Bytes({0xFF, 0xFE, 0x41, 0, 0x42, 0}), "AB"},
        {"UTF-16 BE mark", Bytes({0xFE, 0xFF, 0, 0x41, 0, 0x42}), "AB"},
        {"unmarked UTF-16 LE", Bytes({0x41, 0, 0x42, 0}), "AB"},
        {"UTF-32 LE, not UTF-16", Bytes({0xFF, 0xFE, 0, 0, 0x41, 0, 0, 0}), "A"},
        {"UTF-16 mark alone", Bytes({0xFF, 0xFE}), ""},
        {"UTF-32 mark and two bytes", Bytes({0xFF, 0xFE, 0, 0, 0x41, 0}), ""},
        {"UTF-16 odd trailing byte dropped", Bytes({0xFF, 0xFE, 0x41, 0, 0x42}), "A"},
        {"UTF-32 BE beyond the BMP", Bytes({0, 0, 0xFE, 0xFF, 0, 0x01, 0xF6, 0x00, 0, 0, 0, 0x41}),
         QString::fromUtf16(u"\U0001F600A")},
        {"UTF-32 invalid code point", Bytes({0xFF, 0xFE, 0, 0, 0, 0, 0x11, 0}), QString(QChar(0xFFFD))},
        {"malformed UTF-8", Bytes({0xEF, 0xBB, 0xBF, 0x41, 0xC3, 0x42}), QString::fromUtf16(u"A\uFFFDB")},
        {"plain ASCII passes unchanged", "Start Length\r\n 0001:00401000\n",
         "Start Length\r\n 0001:00401000\n"},
        {"ANSI code page", Bytes({0x80, 0xE9}), QString::fromUtf16(u"\u20AC\u00E9")},
        {"undefined ANSI bytes keep their code", Bytes({0x81, 0x9D}), QString::fromUtf16(u"\u0081\u009D")},
        {"XML declaring UTF-8", QByteArray("<?xml encoding=\"UTF-8\"?>\xC3\xA9"),
         QString::fromUtf16(u"<?xml encoding=\"UTF-8\"?>\u00E9")},
        {"XML declaring windows-1252", QByteArray("<?xml encoding=\"windows-1252\"?>\x80"),
         QString::fromUtf16(u"<?xml encoding=\"windows-1252\"?>\u20AC")},
        {"HTML declaring koi8-r", QByteArray("<head>charset=koi8-r\"</head>\xC1"),
         QString::fromUtf16(u"<head>charset=koi8-r\"</head>\u0430")},
        {"unknown charset falls back to ANSI", QByteArray("<?xml encoding=\"x-none\"?>\x80"),
         QString::fromUtf16(u"<?xml encoding=\"x-none\"?>\u20AC")},
        {"us-ascii decodes from ANSI", QByteArray("<?xml encoding=\"us-ascii\"?>\x80"),
         QString::fromUtf16(u"<?xml encoding=\"us-ascii\"?>\u20AC")},
        {"empty", {}, ""},
    };
    for (const auto &Case : Cases)
        EXPECT_EQ(BytesToText(Case.Input, false), Case.Expected) << Case.Name;
}

TEST(CharsetConvert, Latin1FallbackKeepsEveryByteCode)
{
    const AnsiCodePageScope Ansi(1252);
    EXPECT_EQ(BytesToText(Bytes({0x41, 0x80, 0xFF}), true), QString::fromUtf16(u"A\u0080\u00FF"));
    EXPECT_EQ(BytesToText(Bytes({0x41, 0x80, 0xFF}), false), QString::fromUtf16(u"A\u20AC\u00FF"));
}

TEST(CharsetConvert, DecodeTextRejectsAnImpossibleUnitSize)
{
    TStringEncoding Encoding;
    Encoding.Kind = TStringEncoding::KindUnicode;
    Encoding.CharSize = 3;
    EXPECT_THROW(DecodeText("abc", Encoding, false), EAssertionFailed);
}

TEST(CharsetConvert, CharsetToCodePage)
{
    const struct
    {
        const char16_t *Name;
        int Expected;
    } Cases[] = {
        {u"utf-8", 65001},        {u"UTF-8", 65001},   {u"us-ascii", 20127},   {u"windows-1251", 1251},
        {u"Windows-1252x", 1252}, {u"windows-", -1},   {u"iso-8859-1", 28591}, {u"iso-8859-15", 28605},
        {u"ISO8859-2", 28592},    {u"iso-8859-x", -1}, {u"koi8-r", 20866},     {u"GB2312", 936},
        {u"iso-2022-jp", 932},    {u"koi8-r ", -1},    {u"latin1", -1},        {u"", -1},
    };
    for (const auto &Case : Cases)
        EXPECT_EQ(CharsetToCodePage(Case.Name), Case.Expected) << QString::fromUtf16(Case.Name).toStdString();
}

TEST(CharsetConvert, NumberedCodePagesGoThroughTheSystemConversion)
{
    const struct
    {
        const char *Name;
        QByteArray Input;
        int CodePage;
        QString Expected;
    } Cases[] = {
        {"Cyrillic", Bytes({0xC0, 0xFF}), 1251, QString::fromUtf16(u"\u0410\u044F")},
        {"ISO-8859-15 euro", Bytes({0xA4}), 28605, QString::fromUtf16(u"\u20AC")},
        {"Shift-JIS pair", Bytes({0x82, 0xA0, 0x41}), 932, QString::fromUtf16(u"\u3042A")},
        {"Shift-JIS bad trail byte", Bytes({0x82, 0x20, 0x41}), 932, QString::fromUtf16(u"\uFFFD A")},
        {"Shift-JIS truncated pair", Bytes({0x41, 0x82}), 932, QString::fromUtf16(u"A\uFFFD")},
        {"GB2312 through GBK", Bytes({0xC4, 0xE3}), 936, QString::fromUtf16(u"\u4F60")},
        {"UTF-8 by number", Bytes({0xC3, 0xA9}), 65001, QString::fromUtf16(u"\u00E9")},
        {"unknown code page", Bytes({0x41}), 4711, ""},
        {"negative code page", Bytes({0x41}), -1, ""},
    };
    for (const auto &Case : Cases)
        EXPECT_EQ(CodePageToText(Case.Input, Case.CodePage), Case.Expected) << Case.Name;
}

TEST(CharsetConvert, AnsiCodePageIsProcessWide)
{
    const AnsiCodePageScope Ansi(1251);
    EXPECT_EQ(AnsiCodePage(), 1251);
    EXPECT_EQ(BytesToText(Bytes({0xC0}), false), QString::fromUtf16(u"\u0410"));
    EXPECT_EQ(AnsiToText(Bytes({0xC0})), QString::fromUtf16(u"\u0410"));
    SetAnsiCodePage(4711);
    EXPECT_EQ(AnsiToText(Bytes({0xC0})), QString::fromUtf16(u"\u00C0")) << "unknown page reads as Latin-1";
}

// The setting is read once per process, so each value is checked in a fresh run of this program.
TEST(CharsetConvertDeathTest, AnsiCodePageComesFromTheEnvironment)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Without a usable setting: the system's own page on Windows, elsewhere the usual one there.
#ifdef Q_OS_WIN
    const int System = int(GetACP());
#else
    const int System = 1252;
#endif
    const struct
    {
        const char *Value;
        int Expected;
    } Cases[] = {{"1251", 1251},  {"932", 932},     {"", System},
                 {"abc", System}, {"4711", System}, {"-5", System}};
    for (const auto &Case : Cases) {
        qputenv("QUILLON_ANSI_CODEPAGE", Case.Value);
        EXPECT_EXIT(std::_Exit(AnsiCodePage() == Case.Expected ? 0 : 1), ::testing::ExitedWithCode(0), "")
            << Case.Value;
    }
    qunsetenv("QUILLON_ANSI_CODEPAGE");
}

// Malformed input of every kind decodes to something bounded without hanging or reading past the end.
TEST(CharsetConvert, HostileBytesDecodeWithinBounds)
{
    const AnsiCodePageScope Ansi(932);
    QByteArray Noise(64 * 1024, '\0');
    uint32_t Seed = 12345;
    for (char &Byte : Noise) {
        Seed = Seed * 1103515245u + 12345u;
        Byte = char(Seed >> 24);
    }
    const QByteArray Inputs[] = {Noise, QByteArray(1000, char(0x82)), QByteArray("<?xml ") + Noise,
                                 QByteArray("<head>charset=koi8-r\"") + Noise};
    for (const QByteArray &Input : Inputs) {
        const QString Text = BytesToText(Input, false);
        EXPECT_LE(Text.size(), Input.size());
        EXPECT_FALSE(Text.isEmpty());
    }
}

} // namespace
