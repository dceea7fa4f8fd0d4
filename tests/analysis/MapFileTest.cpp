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

TEST(MapFileTest, AddressesReadAsTheLibraryReadsHexadecimal)
{
    const struct
    {
        const char *Line;
        qint64 Address;
    } cases[] = {
        {" 0001:0000E9B8       UnitA.X", 0xE9B8},
        {" 0001:0000e9b8       UnitA.X", 0xE9B8},
        {" 0001:0000000000401000       UnitA.X", 0x401000},
        {" 0001:$0000E9B8       UnitA.X", 0xE9B8},
        {" 0001:0x00E9B8       UnitA.X", 0xE9B8},
        {" 0001:0000E9B8H       UnitA.X", -1},
        {" 0001:0000E9BZ       UnitA.X", -1},
        {" 0001: UnitA.X", 0},
        {" 0001:0000E9B8", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MapLineAddress(c.Line), c.Address) << c.Line;
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

namespace {

// "Name start size" per unit and "name address" per symbol, addresses in hexadecimal.
QStringList UnitsOf(const TMapFile &map)
{
    QStringList units;
    for (const TMapUnitLine &unit : map.Units)
        units << QString("%1 %2 %3").arg(unit.Name).arg(unit.Start, 0, 16).arg(unit.SizeField);
    return units;
}

QStringList SymbolsOf(const TMapFile &map, const QByteArray &text)
{
    const TMapText mapText = TMapText::FromBytes(text);
    QStringList symbols;
    for (const TSymbolItem &item : map.Symbols)
        symbols << QString::fromUtf8(mapText.Bytes().mid(item.NameOffset, item.NameLength)) + u' ' +
                       QString::number(item.Data, 16);
    return symbols;
}

} // namespace

TEST(MapFileTest, EveryFlavourTheCompilerWrites)
{
    struct TCase
    {
        const char *Name;
        std::initializer_list<const char *> Lines;
        qint64 SegmentLength;
        QStringList Units;
        QStringList Symbols;
    };
    const TCase cases[] = {
        {"Win32, Delphi 7: ACBP=, names without their unit",
         {"",
          " Start         Length     Name                   Class",
          " 0001:00000000 00075B4CH .text                   CODE",
          " 0002:00000000 00001C34H .data                   DATA",
          "",
          "",
          "Detailed map of segments",
          "",
          " 0001:00000000 00004EA7 C=CODE     S=.text    G=(none)   M=System   ACBP=A9",
          " 0001:00004EA8 00000140 C=CODE     S=.text    G=(none)   M=SysInit  ACBP=A9",
          " 0002:00000000 00000308 C=DATA     S=.data    G=DGROUP   M=System   ACBP=A9",
          "",
          "  Address         Publics by Name",
          "",
          " 0001:00000204       CloseHandle",
          "",
          "  Address         Publics by Value",
          "",
          " 0002:FFB72010       TlsLast",
          " 0001:00000204       CloseHandle",
          " 0001:00004EA8       @InitExe",
          " 0001:00000364       TObject.Create"},
         0x75B4C,
         {"System 0 00004EA7", "SysInit 4ea8 00000140"},
         {"CloseHandle 204", "@InitExe 4ea8", "TObject.Create 364"}},
        {"Win32, XE and later: ALIGN=, .itext, dotted names",
         {"", " Start         Length     Name                   Class",
          " 0001:00401000 001910E8H .text                   CODE",
          " 0002:00593000 000014E8H .itext                  ICODE", "", "", "Detailed map of segments", "",
          " 0001:00000000 0000A56C C=CODE     S=.text    G=(none)   M=System   ALIGN=4",
          " 0001:0000A56C 000017EC C=CODE     S=.text    G=(none)   M=System.Types ALIGN=4",
          " 0002:00000000 000000B4 C=ICODE    S=.itext   G=(none)   M=System   ALIGN=4", "",
          "  Address             Publics by Name", "", "  Address             Publics by Value", "",
          " 0001:000006AC       System..TObject", " 0002:00000010       System.Initialization",
          " 0001:0000A56C       System.Types.TSize.Create"},
         0x1910E8,
         {"System 0 0000A56C", "System.Types a56c 000017EC"},
         {"System..TObject 6ac", "System.Types.TSize.Create a56c"}},
        {"Win64: 16-digit offsets",
         {"", " Start                 Length     Name                   Class",
          " 0001:0000000000401000 006CD7B8H .text                   CODE",
          " 0002:0000000000ACF000 00001B38H .itext                  ICODE", "", "",
          "Detailed map of segments", "",
          " 0001:0000000000000000 0001640C C=CODE     S=.text    G=(none)   M=System   ALIGN=16",
          " 0001:0000000000016410 00000DB4 C=CODE     S=.text    G=(none)   M=SysInit  ALIGN=16",
          " 0002:0000000000000000 00000040 C=ICODE    S=.itext   G=(none)   M=System   ALIGN=16", "",
          "  Address                     Publics by Name", "",
          "  Address                     Publics by Value", "",
          " 0001:0000000000000880       System..TObject", " 0001:0000000000016410       SysInit.@InitExe"},
         0x6CD7B8,
         {"System 0 0001640C", "SysInit 16410 00000DB4"},
         {"System..TObject 880", "SysInit.@InitExe 16410"}},
        {"publics by value with an Rva+Base column",
         {"", " Start         Length     Name                   Class",
          " 0001:00401000 0024DA4CH .text                   CODE", "", "Detailed map of segments", "",
          " 0001:00000000 0000D010 C=CODE     S=.text    G=(none)   M=System   ALIGN=4", "",
          "  Address             Publics by Name              Rva+Base", "",
          "  Address             Publics by Value              Rva+Base", "",
          " 0001:000006AC       System..TObject              004016AC",
          " 0001:00000F4C       System.TList<System.Integer>.Add 00401F4C",
          " 0001:00003A10       System.CloseHandle           00404A10  "},
         0x24DA4C,
         {"System 0 0000D010"},
         {"System..TObject 6ac", "System.TList<System.Integer>.Add f4c", "System.CloseHandle 3a10"}},
    };
    for (const TCase &c : cases) {
        for (const char *lineBreak : {"\r\n", "\n"}) {
            SCOPED_TRACE(std::string(c.Name) + (lineBreak[0] == '\r' ? ", CRLF" : ", LF"));
            const QByteArray text = Lines(c.Lines, lineBreak);
            const TMapFile map = Parse(text);
            EXPECT_EQ(map.CodeSegmentLength, c.SegmentLength);
            EXPECT_EQ(UnitsOf(map), c.Units);
            EXPECT_EQ(SymbolsOf(map, text), c.Symbols);
            EXPECT_EQ(map.UnreadableSymbolLine, -1);
        }
    }
}

TEST(MapFileTest, AnRvaBaseLineWithoutItsColumnIsNamed)
{
    const TMapFile map = Parse(
        Lines({"", UnitA, "  Address             Publics by Name              Rva+Base",
               "  Address             Publics by Value              Rva+Base",
               " 0001:0000E9B8       UnitA.X              0040F9B8", " 0001:0000E9C0       UnitA.NoColumn",
               " 0001:0000E9C8       UnitA.NotHex         0040F9ZZ"}));
    EXPECT_EQ(map.Symbols.size(), 1u);
    EXPECT_EQ(map.UnreadableSymbolLine, 5);
}
