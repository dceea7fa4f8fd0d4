// The MAP file format as one pass reads it: segment length, unit lines, symbol lines, bound forms.

#include "analysis/MapFile.h"

#include <gtest/gtest.h>

namespace {

TMapFile Parse(const QByteArray &text)
{
    return TMapFile::Parse(TMapText::FromBytes(text));
}

QByteArray Lines(std::initializer_list<const char *> lines, const char *lineBreak = "\r\n")
{
    QByteArray text;
    for (const char *line : lines)
        text += QByteArray(line) + lineBreak;
    return text;
}

const char *const UnitA = " 0001:0000E9B8 00000B30 C=CODE     S=.text    G=(none)   M=UnitA  ALIGN=4";

} // namespace

TEST(MapFileTest, CodeSegmentLength)
{
    struct TCase
    {
        const char *Name;
        QByteArray Text;
        qint64 Expected;
    };
    const TCase cases[] = {
        {"plain length", Lines({"", " 0001:00401000 000A4E6C .text                   CODE"}), 0xA4E6C},
        {"linker suffix H", Lines({"", " 0001:00401000 000A4E6CH .text                   CODE"}), 0xA4E6C},
        {"lower-case suffix", Lines({"", " 0001:00401000 000A4E6Ch .text                   CODE"}), 0xA4E6C},
        {"not hexadecimal", Lines({"", " 0001:00401000 000A4E6G .text                   CODE"}), -1},
        {"not a CODE line", Lines({"", " 0001:00401000 000A4E6C .text                   DATA"}), 0},
        {"after Detailed", Lines({"", "Detailed map of segments", " 0001:00401000 00000010H .text   CODE"}),
         0},
        {"line 11 is the last one read",
         Lines({"", "", "", "", "", "", "", "", "", "", "", " 0001:00401000 00000010H .text   CODE"}), 0x10},
        {"line 12 is too late",
         Lines({"", "", "", "", "", "", "", "", "", "", "", "", " 0001:00401000 00000010H .text   CODE"}), 0},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(Parse(c.Text).CodeSegmentLength, c.Expected) << c.Name;
}

TEST(MapFileTest, UnitLineFields)
{
    const TMapFile map =
        Parse(Lines({"", UnitA, " 0001:00000000 0010 C=CODE S=.text M=Short",
                     " 0001:00000010 00000020 C=CODE     S=.text    G=(none)   M=UnitA  ALIGN=4",
                     " 0002:00000000 00000008 C=ICODE    S=.itext   G=(none)   M=UnitA  ALIGN=4"}));
    ASSERT_EQ(map.Units.size(), 3u);
    EXPECT_EQ(map.Units[0].Name, "UnitA");
    EXPECT_EQ(map.Units[0].SizeField, "00000B30");
    EXPECT_EQ(map.Units[0].Start, 0xE9B8);
    EXPECT_EQ(map.Units[0].Line, 1);
    // Field 15 is taken whatever it holds: with single blanks there is none.
    EXPECT_EQ(map.Units[1].Name, "");
    EXPECT_EQ(map.Units[2].Name, "UnitA") << "the same name twice gives two units";
}

TEST(MapFileTest, SectionsAndSymbols)
{
    const TMapFile map = Parse(Lines({
        "",
        UnitA,
        "Publics by Name at the start does not end the units",
        " 0001:00000000 00000004 C=CODE     S=.text    G=(none)   M=UnitB  ALIGN=4",
        "  Address             Publics by Name",
        " 0001:0000E9B8       UnitA.ByName",
        "  Address             Publics by Value",
        " 0001:0000E9B8       UnitA.TFoo.Create  ",
        " 0002:00000010       UnitA.InitText",
        " 0001:0000E9C0 UnitA.NoTripleBlank",
        " 0001:0000E9D0       UnitA.TList<System.Integer>.Add",
        "Line numbers for UnitA(UnitA.pas) segment .text",
        " 0001:0000EA00       UnitA.AfterLineNumbers",
    }));
    EXPECT_EQ(map.Units.size(), 2u);
    ASSERT_TRUE(map.HasPublicsByValue);
    ASSERT_EQ(map.Symbols.size(), 3u);
    EXPECT_EQ(map.Symbols[0].Data, 0xE9B8);
    EXPECT_EQ(map.Symbols[0].NameLength, quint32(strlen("UnitA.TFoo.Create"))) << "trailing blanks trimmed";
    EXPECT_EQ(map.Symbols[1].NameLength, 0u) << "a line without three blanks gives an empty name";
    EXPECT_EQ(map.Symbols[2].Data, 0xE9D0);
}

TEST(MapFileTest, NoPublicsByNameMeansNoSymbols)
{
    const TMapFile map =
        Parse(Lines({"", UnitA, "  Address             Publics by Value", " 0001:0000E9B8       UnitA.X"}));
    EXPECT_EQ(map.Units.size(), 1u);
    EXPECT_FALSE(map.HasPublicsByValue);
    EXPECT_TRUE(map.Symbols.empty());
}

TEST(MapFileTest, BoundFormResourcesFromTheEnd)
{
    const TMapFile map = Parse(Lines({"", "Old.dfm", "Bound resource files", "Bound Main.dfm", "FormA.dfm",
                                      "C:\\Lib\\Dlg.DFM", "Project.res", "Bound resource files"}));
    EXPECT_EQ(map.FormResourceLines, QStringList({"C:\\Lib\\Dlg.DFM", "FormA.dfm"}));
}

TEST(MapFileTest, LineBreaksAndEndOfText)
{
    struct TCase
    {
        const char *Name;
        QByteArray Text;
        size_t Units;
    };
    const QByteArray unit = UnitA;
    const TCase cases[] = {
        {"LF", "\n" + unit + "\n" + unit, 2},
        {"lone CR", "\r" + unit + "\r" + unit + "\r", 2},
        {"line 0 is never a unit", unit + "\n" + unit, 1},
        {"NUL ends the text", "\n" + unit + "\n" + QByteArray(1, '\0') + "\n" + unit, 1},
        {"UTF-16 with byte-order mark",
         QByteArray("\xFF\xFE", 2) +
             QByteArray(reinterpret_cast<const char *>(QString("\r\n" + unit + "\r\n").utf16()),
                        (unit.size() + 4) * 2),
         1},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(Parse(c.Text).Units.size(), c.Units) << c.Name;
}
