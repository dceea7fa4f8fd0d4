// One analysis run from MAP file to unit rows and symbol trees, with its side files.

#include "analysis/MapAnalysis.h"

#include "base/XLists.h"
#include "support/TestFiles.h"
#include "tree/TreeGridModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TUnitSpec
{
    const char *Name;
    int Start;
    const char *Size; // hexadecimal as written
};

// A detailed MAP file: segment table, unit lines, publics by name and by value, bound forms.
QByteArray MapText(const std::vector<TUnitSpec> &units,
                   const std::vector<std::pair<int, const char *>> &symbols, const QStringList &forms = {},
                   const char *segmentLength = "00000100H")
{
    QByteArray text = "\r\n Start         Length     Name                   Class\r\n";
    text += QByteArray(" 0001:00401000 ") + segmentLength + " .text                   CODE\r\n\r\n";
    text += "Detailed map of segments\r\n\r\n";
    for (const TUnitSpec &unit : units)
        text += QByteArray(" 0001:") + QByteArray::number(unit.Start, 16).rightJustified(8, '0') + ' ' +
                unit.Size + " C=CODE     S=.text    G=(none)   M=" + unit.Name + " ACBP=A9\r\n";
    text += "\r\n  Address             Publics by Name\r\n\r\n";
    if (!symbols.empty()) {
        text += "\r\n  Address             Publics by Value\r\n\r\n";
        for (const auto &[address, name] : symbols)
            text +=
                " 0001:" + QByteArray::number(address, 16).rightJustified(8, '0') + "       " + name + "\r\n";
    }
    text += "\r\nBound resource files\r\n\r\n";
    for (const QString &form : forms)
        text += form.toUtf8() + "\r\n";
    return text + "\r\nProgram entry point at 0001:00000000\r\n";
}

class MapAnalysisTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FStartFolder = QDir::currentPath();
        TMapAnalysis::SetupUnitColumns(Grid);
        Analysis.OnMessage = [this](TMapAnalysis *, const QString &message) { Messages << message; };
    }
    void TearDown() override { QDir::setCurrent(FStartFolder); }

    QString Write(const QString &relative, const QByteArray &bytes)
    {
        const QString path = Dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // "Name Tag" of the root rows in grid order.
    QStringList Units()
    {
        QStringList rows;
        for (TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->NextSibling())
            rows << node->Text() + u' ' + QString::number(node->Tag());
        return rows;
    }

    TITreeNode *Unit(const QString &name)
    {
        for (TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->NextSibling())
            if (node->Text() == name)
                return node;
        return nullptr;
    }

    QStringList Open(const QString &name)
    {
        TITreeNode *unit = Unit(name);
        bool allow = false;
        Analysis.VGUnitsExpanding(&Grid, unit, allow);
        EXPECT_TRUE(allow);
        QStringList children;
        for (TITreeNode *child = unit->GetFirstChild(); child; child = child->NextSibling())
            children << child->Text() + u' ' + QString::number(child->Tag());
        return children;
    }

    QTemporaryDir Dir;
    TTreeGridModel Grid;
    TMapAnalysis Analysis{Grid};
    QStringList Messages;

private:
    QString FStartFolder;
};

const std::vector<TUnitSpec> ThreeUnits = {
    {"System", 0x00, "00000040"}, {"System.Classes", 0x40, "00000060"}, {"Main", 0xA0, "00000060"}};
const std::vector<std::pair<int, const char *>> ThreeUnitSymbols = {
    {0x00, "System.TObject.Create"},    {0x20, "System.Move"},           {0x40, "System.Classes.TList.Add"},
    {0x70, "System.Classes.TList.Get"}, {0xA0, "Main.TFormMain.Create"}, {0xE0, "Main.Run"}};

} // namespace

TEST_F(MapAnalysisTest, UnitRowsSortedBySizeWithTheirColumns)
{
    Write("App.dpr", "program App;\r\nuses\r\n  Main in 'src\\Main.pas' {FormMain};\r\n");
    Write("src/main.DFM", QByteArray(300, 'x'));
    Write("dcu/Win32/MAIN.dcu", QByteArray(5000, 'x'));
    const QString map =
        Write("bin/App.map",
              MapText({{"System", 0, "00000400"}, {"Main", 0x400, "000003E7"}, {"Other", 0x7E8, "000003E7"}},
                      {}, {"Main.dfm"}));
    ASSERT_TRUE(Analysis.Run(map, Dir.filePath("dcu")));
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('\n').toStdString();
    EXPECT_EQ(Units(), QStringList({"System 1024", "Main 999", "Other 999"})) << "ties keep MAP order";
    TITreeNode *main = Unit("Main");
    EXPECT_EQ(main->Data(), 300) << "form found through the project clause, letter case ignored";
    EXPECT_EQ(main->ColumnStrings()->Get(3), "5.0");
    EXPECT_EQ(main->ColumnStrings()->GetObject(3), 5000u);
    EXPECT_EQ(Unit("Other")->ColumnStrings()->Get(3), "-");
    EXPECT_EQ(Analysis.MaxDFMSize(), 300);
    EXPECT_EQ(Analysis.MaxCodeSize(), 1024);
    EXPECT_DOUBLE_EQ(Analysis.PercentFactor(), 100.0 / (1024 + 999 + 999));
    EXPECT_FALSE(Analysis.ShowRoot()) << "no symbols, nothing to open";
    EXPECT_EQ(QDir::current(), QDir(Dir.path())) << "the project's folder becomes the current one";
}

TEST_F(MapAnalysisTest, MissingProjectFileIsAWarning)
{
    const QString map = Write("App.map", MapText({{"Main", 0, "00000010"}}, {}));
    EXPECT_TRUE(Analysis.Run(map, std::nullopt));
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].startsWith("Couldn't locate project file (App.dpr).\r\n"))
        << Messages[0].toStdString();
    EXPECT_EQ(Units(), QStringList({"Main 16"}));
}

TEST_F(MapAnalysisTest, MissingMapFileChangesNothing)
{
    const QString map = Write("App.map", MapText({{"Main", 0, "00000010"}}, {}));
    ASSERT_TRUE(Analysis.Run(map, std::nullopt));
    Messages.clear();
    EXPECT_FALSE(Analysis.Run(Dir.filePath("Gone.map"), std::nullopt));
    EXPECT_EQ(Analysis.Failure(), TMapAnalysis::afMapMissing);
    EXPECT_EQ(Messages,
              QStringList({QString("MAP File \"%1\" not available.").arg(Dir.filePath("Gone.map"))}));
    EXPECT_EQ(Units(), QStringList({"Main 16"}));
}

TEST_F(MapAnalysisTest, MalformedCodeSizeStopsTheRunAndKeepsTheRowsReadSoFar)
{
    Write("App.dpr", "program App;\r\n");
    const QString map = Write("App.map", MapText({{"UnitA", 0, "00000030"},
                                                  {"UnitB", 0x30, "00000010"},
                                                  {"UnitC", 0x40, "0000ZZZZ"},
                                                  {"UnitD", 0x50, "00000010"}},
                                                 {{0, "UnitA.X"}}));
    EXPECT_FALSE(Analysis.Run(map, std::nullopt));
    EXPECT_EQ(Analysis.Failure(), TMapAnalysis::afMalformed);
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages[0].toStdString(), "'$0000ZZZZ' is not a valid integer value (MAP file line 9)");
    EXPECT_EQ(Units(), QStringList({"UnitA 48", "UnitB 16", "UnitC 0"})) << "MAP order, no sort";
    EXPECT_DOUBLE_EQ(Analysis.PercentFactor(), 100.0 / 64);
    EXPECT_FALSE(Unit("UnitA")->HasChildren()) << "no symbols after a failed run";
    EXPECT_EQ(Grid.Items().UpdateCount(), 0);
}

TEST_F(MapAnalysisTest, UnreadableProjectFileStopsTheRun)
{
    // A folder in the project file's place: found, but it cannot be read as a file.
    QDir(Dir.path()).mkpath("App.dpr");
    const QString map = Write("App.map", MapText({{"UnitA", 0, "00000030"}}, {}));
    EXPECT_FALSE(Analysis.Run(map, std::nullopt));
    EXPECT_EQ(Analysis.Failure(), TMapAnalysis::afUnreadable);
    EXPECT_EQ(Messages.size(), 1);
}

TEST_F(MapAnalysisTest, SymbolsAndOpeningUnits)
{
    Write("App.dpr", "program App;\r\n");
    const QString map = Write("App.map", MapText(ThreeUnits, ThreeUnitSymbols));
    ASSERT_TRUE(Analysis.Run(map, std::nullopt));
    EXPECT_TRUE(Analysis.ShowRoot());
    EXPECT_EQ(Units(), QStringList({"System.Classes 96", "Main 96", "System 64"}));
    for (TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->NextSibling())
        EXPECT_EQ(node->Count(), 1) << "placeholder";

    // The unit System.Classes owns its symbols: System lists only its own.
    EXPECT_EQ(Open("System"), QStringList({"TObject 32", "Move 32"}));
    EXPECT_EQ(Open("System.Classes"), QStringList({"TList 96"}));
    // The segment length ends the last symbol (its "H" suffix ignored).
    EXPECT_EQ(Open("Main"), QStringList({"TFormMain 64", "Run 32"}));
}

TEST_F(MapAnalysisTest, WithoutSegmentLengthTheHighestUnitEndsTheLastSymbol)
{
    Write("App.dpr", "program App;\r\n");
    const QString map = Write("App.map", MapText(ThreeUnits, ThreeUnitSymbols, {}, "bogus"));
    ASSERT_TRUE(Analysis.Run(map, std::nullopt));
    EXPECT_EQ(Analysis.CodeSegmentLength(), -1);
    EXPECT_EQ(Open("Main"), QStringList({"TFormMain 64", "Run 32"}));
}

TEST_F(MapAnalysisTest, RelativeMapPathSurvivesTheProjectSearch)
{
    Write("proj/App.dpr", "program App;\r\n");
    Write("proj/bin/App.map", MapText({{"Main", 0, "00000010"}}, {}));
    QDir::setCurrent(Dir.path());
    ASSERT_TRUE(Analysis.Run("proj/bin/App.map", std::nullopt));
    EXPECT_EQ(Units(), QStringList({"Main 16"}));
    EXPECT_EQ(Analysis.MapFileName(), Dir.filePath("proj/bin/App.map"));
}

TEST_F(MapAnalysisTest, OpeningKeepsTheGridSortAndHappensOnce)
{
    Write("App.dpr", "program App;\r\n");
    const QString map = Write("App.map", MapText(ThreeUnits, ThreeUnitSymbols));
    ASSERT_TRUE(Analysis.Run(map, std::nullopt));
    Grid.SortBy(0, sdAscending);
    EXPECT_EQ(Open("Main"), QStringList({"Run 32", "TFormMain 64"}));
    EXPECT_FALSE(Analysis.AddSymbolRowsOf(Unit("Main"))) << "built once";
}

TEST_F(MapAnalysisTest, RatioColumnSortsByValue)
{
    Write("App.dpr", "program App;\r\n");
    Write("dcu/A.dcu", QByteArray(2000, 'x'));
    Write("dcu/B.dcu", QByteArray(300, 'x'));
    Write("dcu/C.dcu", QByteArray(1100, 'x'));
    const QString map = Write("App.map", MapText({{"A", 0, "00000063"},
                                                  {"B", 0x64, "00000063"},
                                                  {"C", 0xC8, "00000063"},
                                                  {"D", 0x12C, "00000063"}},
                                                 {}));
    ASSERT_TRUE(Analysis.Run(map, Dir.filePath("dcu")));
    Grid.HeaderClick(4);
    EXPECT_EQ(Units(), QStringList({"D 99", "B 99", "C 99", "A 99"}))
        << "- counts as 0, then 3.0, 11.0, 20.0";
}

TEST_F(MapAnalysisTest, AFileWithoutCodeUnitsIsNoDetailedMapFile)
{
    for (const TNotDetailedMapFile &c : NotDetailedMapFiles()) {
        Messages.clear();
        const QString map = Write("App.map", c.Text);
        EXPECT_FALSE(Analysis.Run(map, std::nullopt)) << c.Name;
        EXPECT_EQ(Analysis.Failure(), TMapAnalysis::afNotDetailed) << c.Name;
        ASSERT_FALSE(Messages.isEmpty()) << c.Name;
        EXPECT_EQ(Messages.last(),
                  QString("MAP File \"%1\" lists no code units: a detailed MAP file is needed. In "
                          "Delphi set Project Options > Linking > Map file to \"Detailed\" and "
                          "build the project again.")
                      .arg(map))
            << c.Name;
        EXPECT_TRUE(Units().isEmpty()) << c.Name;
    }

    // Units without code are still units: the file is a detailed MAP file.
    Messages.clear();
    const QString empty =
        Write("Empty.map", MapText({{"SysInit", 0, "00000000"}, {"Main", 0, "00000000"}}, {}));
    EXPECT_TRUE(Analysis.Run(empty, std::nullopt));
    EXPECT_EQ(Units().size(), 2);
    EXPECT_DOUBLE_EQ(Analysis.PercentFactor(), 0);
}

TEST_F(MapAnalysisTest, AnUnusableSearchFolderIsReportedAndTheRunGoesOnWithoutTheScan)
{
    Write("App.dpr", "program App;\r\n");
    Write("Main.dcu", QByteArray(100, 'x'));
    const QString file = Write("not-a-folder", "x");
    const QString map = Write("App.map", MapText({{"Main", 0, "00000010"}}, {}));
    int scans = 0;
    Analysis.OnScanStarting = [&scans](TMapAnalysis *) { ++scans; };
    const struct
    {
        QString Folder;
        QString Problem;
    } cases[] = {
        {Dir.filePath("gone"), QString("Search folder \"%1\" does not exist.").arg(Dir.filePath("gone"))},
        {file, QString("Search folder \"%1\" is not a folder.").arg(file)},
        {QStringLiteral("S:\\"), QStringLiteral("Search folder \"S:\\\" does not exist.")},
    };
    for (const auto &c : cases) {
        Messages.clear();
        EXPECT_EQ(TMapAnalysis::SearchFolderProblem(c.Folder), c.Problem);
        EXPECT_TRUE(Analysis.Run(map, c.Folder)) << c.Folder.toStdString();
        ASSERT_EQ(Messages.size(), 1);
        EXPECT_TRUE(Messages[0].startsWith(c.Problem + " The compiled unit files were not searched"))
            << Messages[0].toStdString();
        EXPECT_EQ(Unit("Main")->ColumnStrings()->Get(3), "-");
    }
    EXPECT_EQ(scans, 0);
    // An empty folder names the current one, the project's.
    EXPECT_TRUE(TMapAnalysis::SearchFolderProblem(QString()).isEmpty());
    Messages.clear();
    EXPECT_TRUE(Analysis.Run(map, QString()));
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('\n').toStdString();
    EXPECT_EQ(Unit("Main")->ColumnStrings()->Get(3), "5.9");
    EXPECT_EQ(scans, 1);
}

TEST_F(MapAnalysisTest, SeveralCompiledUnitFilesOfOneUnitGiveOneWarning)
{
    Write("App.dpr", "program App;\r\n");
    const char *names[] = {"A", "B", "C", "D", "E", "F", "G"};
    std::vector<TUnitSpec> units;
    for (const char *name : names) {
        Write(QString("Win32/Debug/%1.dcu").arg(name), QByteArray(100, 'x'));
        Write(QString("Win32/Release/%1.DCU").arg(name), QByteArray(100, 'x'));
        units.push_back({name, 0, "00000010"});
    }
    Write("Win32/Debug/Single.dcu", QByteArray(10, 'x'));
    units.push_back({"Single", 0, "00000010"});
    QStringList warnings;
    Analysis.OnWarning = [&warnings](TMapAnalysis *, const QString &warning) { warnings << warning; };

    // Eight units of 16 bytes fill the code segment.
    const QString map = Write("App.map", MapText(units, {}, {}, "00000080H"));
    ASSERT_TRUE(Analysis.Run(map, Dir.path()));
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join('\n').toStdString();
    EXPECT_EQ(warnings,
              QStringList("7 units have more than one .dcu file below the search folder (A, B, C, D, E, "
                          "...); one of each is used. Narrow the search folder to one build's output."));
    EXPECT_EQ(Unit("A")->ColumnStrings()->Get(3), "5.9") << "one of the files is used as before";

    warnings.clear();
    ASSERT_TRUE(Analysis.Run(map, Dir.filePath("Win32/Debug")));
    EXPECT_TRUE(warnings.isEmpty()) << "a narrower folder holds one of each";
}

TEST_F(MapAnalysisTest, AMissingProjectFileCanBeReportedInTheCallersWords)
{
    const QString map = Write("bin/App.map", MapText({{"Main", 0, "00000010"}}, {}));
    QStringList missing;
    Analysis.OnProjectFileMissing = [&missing](TMapAnalysis *, const QString &project,
                                               const QString &folder) { missing << project << folder; };
    EXPECT_TRUE(Analysis.Run(map, std::nullopt));
    EXPECT_TRUE(Messages.isEmpty()) << "instead of the message";
    EXPECT_EQ(missing, QStringList({"App.dpr", Dir.filePath("bin") + '/'}));
}

namespace {

// Delphi 7 names (without their unit) beside qualified ones, a generic instantiated in another
// unit, code before the first symbol, padding after a unit, a unit without symbols, one without
// code and a symbol in no unit.
const std::vector<TUnitSpec> MixedUnits = {{"System", 0x00, "00000040"},
                                           {"Main", 0x40, "0000003C"},
                                           {"System.Generics.Collections", 0x80, "00000020"},
                                           {"Resources", 0xA0, "00000010"},
                                           {"Empty", 0xB0, "00000000"}};
const std::vector<std::pair<int, const char *>> MixedSymbols = {
    {0x08, "TObject.Create"},
    {0x20, "@LStrCat"},
    {0x30, "System.Move"},
    {0x48, "Main.TFormMain.Create"},
    {0x60, "System.Generics.Collections.TList<Main.TItem>.Add"},
    {0x70, "Main..TFormMain"},
    {0x80, "System.Generics.Collections.TList<System.Integer>.Get"},
    {0xF0, "Orphan"}};

} // namespace

TEST_F(MapAnalysisTest, GroupingByAddressAndByName)
{
    struct TCase
    {
        TSymbolGrouping Grouping;
        const char *Unit;
        QStringList Children;
    };
    const TCase cases[] = {
        {TSymbolGrouping::ByAddress,
         "System",
         {"TObject 24", "@LStrCat 16", "Move 16", "[no public symbol] 8"}},
        // The metadata entry stops at the unit's end, not at the next unit's start.
        {TSymbolGrouping::ByAddress,
         "Main",
         {"TFormMain 36", "System.Generics.Collections 16", "[no public symbol] 8"}},
        {TSymbolGrouping::ByAddress, "System.Generics.Collections", {"TList<System.Integer> 32"}},
        {TSymbolGrouping::ByAddress, "Resources", {"[no public symbol] 16"}},
        {TSymbolGrouping::ByAddress, "Empty", {}},
        // By name, as always: names without their unit are nobody's, padding stays with the last
        // symbol, and the generic goes to the unit that declares it.
        {TSymbolGrouping::ByName, "System", {"Move 16"}},
        {TSymbolGrouping::ByName, "Main", {"TFormMain 40"}},
        {TSymbolGrouping::ByName,
         "System.Generics.Collections",
         {"TList<System.Integer> 32", "TList<Main.TItem> 16"}},
        {TSymbolGrouping::ByName, "Resources", {}},
    };
    Write("App.dpr", "program App;\r\n");
    const QString map = Write("App.map", MapText(MixedUnits, MixedSymbols));
    for (const TCase &c : cases) {
        SCOPED_TRACE(std::string(c.Unit) +
                     (c.Grouping == TSymbolGrouping::ByName ? " by name" : " by address"));
        Analysis.SetGrouping(c.Grouping);
        ASSERT_TRUE(Analysis.Run(map, std::nullopt));
        EXPECT_EQ(Open(c.Unit), c.Children);
    }
}

TEST_F(MapAnalysisTest, AddressRowsKeepTheirLevels)
{
    Write("App.dpr", "program App;\r\n");
    ASSERT_TRUE(Analysis.Run(Write("App.map", MapText(MixedUnits, MixedSymbols)), std::nullopt));
    Open("Main");
    QStringList rows;
    const TITreeNode *main = Unit("Main");
    for (const TITreeNode *node = main->GetFirstChild(); node && node != main->NextSibling();
         node = node->GetNext())
        rows << QString(2 * (node->Level() - 1), u' ') + node->Text() + u' ' + QString::number(node->Tag());
    EXPECT_EQ(rows, QStringList({"TFormMain 36", "  Create 24", "  < MetaData > 12",
                                 "System.Generics.Collections 16", "  TList<Main.TItem> 16", "    Add 16",
                                 "[no public symbol] 8"}));
}

TEST_F(MapAnalysisTest, ChangingTheGroupingRebuildsOnlyOpenedUnits)
{
    Write("App.dpr", "program App;\r\n");
    ASSERT_TRUE(Analysis.Run(Write("App.map", MapText(MixedUnits, MixedSymbols)), std::nullopt));
    Grid.OnExpanding = [this](TTreeGridModel *sender, TITreeNode *node, bool &allow) {
        Analysis.VGUnitsExpanding(sender, node, allow);
    };
    Unit("Main")->SetExpanded(true);
    EXPECT_EQ(Unit("Main")->Count(), 3);
    Analysis.SetGrouping(TSymbolGrouping::ByName);
    QStringList children;
    for (TITreeNode *child = Unit("Main")->GetFirstChild(); child; child = child->NextSibling())
        children << child->Text() + u' ' + QString::number(child->Tag());
    EXPECT_EQ(children, QStringList({"TFormMain 40"})) << "opened: rebuilt at once";
    EXPECT_EQ(Unit("System")->GetFirstChild()->Text(), "$") << "unopened: still lazy";
    EXPECT_EQ(Open("System"), QStringList({"Move 16"}));
    Analysis.SetGrouping(TSymbolGrouping::ByAddress);
    EXPECT_EQ(Unit("Main")->Count(), 3);
}

TEST_F(MapAnalysisTest, UnreadableFlavourLinesAreNamed)
{
    struct TCase
    {
        const char *Name;
        QByteArray Text;
        const char *Message;
    };
    QByteArray rvaBase = MapText({{"UnitA", 0, "00000010"}}, {{0, "UnitA.X"}});
    rvaBase.replace("Publics by Value", "Publics by Value              Rva+Base");
    QByteArray start = MapText({{"UnitA", 0, "00000010"}, {"UnitB", 0x10, "00000010"}}, {{0, "UnitA.X"}});
    start.replace("0001:00000010 00000010", "0001:0000001Q 00000010");
    const TCase cases[] = {
        {"an Rva+Base symbol line without its column", rvaBase,
         "The symbol line lacks its \"Rva+Base\" column (MAP file line 14)."},
        {"a unit start that is not hexadecimal", start,
         "The unit's start address \"0000001Q\" is not hexadecimal (MAP file line 8)."},
    };
    Write("App.dpr", "program App;\r\n");
    for (const TCase &c : cases) {
        Messages.clear();
        EXPECT_FALSE(Analysis.Run(Write("App.map", c.Text), std::nullopt)) << c.Name;
        EXPECT_EQ(Analysis.Failure(), TMapAnalysis::afMalformed) << c.Name;
        EXPECT_EQ(Messages, QStringList({c.Message})) << c.Name;
    }
}
