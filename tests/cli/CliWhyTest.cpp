#include "CliRun.h"

#include "support/MapFileWriter.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A program App of sources only: App uses A and B; A uses Big in its interface and Shared in its
// implementation; B uses Shared, and Missing under a condition it cannot decide.
class TUsesFixture
{
public:
    TUsesFixture()
    {
        WriteMapFile(Dir.filePath(u"App.map"_s),
                     {{u"System"_s, 100},
                      {u"SysInit"_s, 10},
                      {u"Big"_s, 5000},
                      {u"Shared"_s, 300},
                      {u"A"_s, 200},
                      {u"B"_s, 150},
                      {u"App"_s, 50}},
                     {}, 5810);
        WriteTestFile(Dir.filePath(u"App.dpr"_s),
                      "program App;\nuses\n  A in 'src\\A.pas',\n  B;\nbegin\nend.\n");
        WriteTestFile(Dir.filePath(u"src/A.pas"_s),
                      "unit A;\ninterface\nuses Big;\nimplementation\nuses Shared;\nend.\n");
        WriteTestFile(Dir.filePath(u"src/B.pas"_s),
                      "unit B;\ninterface\nuses Shared {$IFDEF X}, Missing{$ENDIF};\nimplementation\nend.\n");
        WriteTestFile(Dir.filePath(u"src/Big.pas"_s), "unit Big;\ninterface\nimplementation\nend.\n");
        WriteTestFile(Dir.filePath(u"src/Shared.pas"_s), "unit Shared;\ninterface\nimplementation\nend.\n");
    }
    QString Map() const { return Dir.filePath(u"App.map"_s); }
    QString Folder() const { return Dir.path(); }

    QTemporaryDir Dir;
};

QJsonObject JsonOf(const TCliResult &result)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.Out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.Out.toStdString();
    return document.object();
}

// "App > A[interface,source] > Big[...]" from a chain of the json.
QString ChainText(const QJsonArray &chain)
{
    QStringList steps;
    for (const QJsonValue &value : chain) {
        const QJsonObject step = value.toObject();
        QString text = step[u"name"].toString();
        if (step.contains(u"kind"))
            text += u'[' + step[u"kind"].toString() + u',' + step[u"from"].toString() +
                    (step[u"imports"].toBool() ? QString() : u",init"_s) +
                    (step[u"conditional"].toBool() ? u",conditional"_s : QString()) + u']';
        steps << text;
    }
    return steps.join(u" > "_s);
}

QString Chains(const QJsonObject &why)
{
    QStringList chains;
    for (const QJsonValue &chain : why[u"chains"].toArray())
        chains << ChainText(chain.toArray());
    return chains.join(u" | "_s);
}

QString Names(const QJsonArray &array)
{
    QStringList names;
    for (const QJsonValue &value : array)
        names << value.toObject()[u"name"].toString();
    return names.join(u' ');
}

// The corpus's Delphi 7 program, its MAP file and executable alone in a folder: no project file.
bool CopyCircuitWithoutProject(const QTemporaryDir &dir)
{
    for (const QString &name : {u"Project1.map"_s, u"Project1.exe"_s})
        if (!QFile::copy(QStringLiteral(QUILLON_CORPUS_DIR "/d7-circuit/") + name, dir.filePath(name)))
            return false;
    return true;
}

} // namespace

TEST(CliWhyTest, ChainsUsersAndRetainedSizeFromSources)
{
    const TUsesFixture fixture;
    struct TCase
    {
        const char *Unit;
        const char *Chains;
        const char *UsedBy;
        qint64 Retained;
        bool UpperBound;
        const char *Keeps;
    };
    const TCase cases[] = {
        {"Big", "App > A[program,source] > Big[interface,source]", "A", 5000, false, "Big"},
        // System's uses are unknown: it might need Big, which A seems to keep alone.
        {"A", "App > A[program,source]", "App", 5200, true, "A Big"},
        {"Shared",
         "App > A[program,source] > Shared[implementation,source] | App > B[program,source] > "
         "Shared[interface,source]",
         "A B", 300, false, "Shared"},
        {"missing", "App > B[program,source] > Missing[interface,source,conditional]", "B", 0, false,
         "Missing"},
        {"App", "App", "", 5810, false, "App System SysInit A B Big Shared Missing"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Unit);
        const TCliResult result = RunCli({u"why"_s, fixture.Map(), QString::fromUtf8(c.Unit),
                                          u"--search-dir"_s, fixture.Folder(), u"--format"_s, u"json"_s});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QJsonObject why = JsonOf(result);
        EXPECT_EQ(Chains(why).toStdString(), c.Chains);
        EXPECT_EQ(Names(why[u"used_by"].toArray()).toStdString(), c.UsedBy);
        EXPECT_EQ(why[u"retained_size"].toInteger(), c.Retained);
        EXPECT_EQ(why[u"upper_bound"].toBool(), c.UpperBound);
        EXPECT_EQ(Names(why[u"keeps"].toArray()).toStdString(), c.Keeps);
    }
}

TEST(CliWhyTest, TableForPeopleAndTheUnitNotLinked)
{
    const TUsesFixture fixture;
    const TCliResult table =
        RunCli({u"why"_s, fixture.Map(), u"A"_s, u"--search-dir"_s, fixture.Folder(), u"--paths"_s, u"1"_s});
    ASSERT_EQ(table.ExitCode, 0) << table.Err.toStdString();
    const QString text = QString::fromUtf8(table.Out);
    EXPECT_TRUE(text.startsWith(u"A: 200 bytes of code\n"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Removing it saves up to 5,200 bytes in 2 units"_s)) << text.toStdString();

    const TCliResult notLinked =
        RunCli({u"why"_s, fixture.Map(), u"Vcl.Themes"_s, u"--search-dir"_s, fixture.Folder()});
    EXPECT_EQ(notLinked.ExitCode, 1);
    EXPECT_EQ(notLinked.Err.toStdString(), "quillon-cli: unit Vcl.Themes is not linked into App\n");
    EXPECT_TRUE(notLinked.Out.isEmpty());
}

TEST(CliWhyTest, GraphAsJsonAndDot)
{
    const TUsesFixture fixture;
    const TCliResult json = RunCli({u"graph"_s, fixture.Map(), u"--search-dir"_s, fixture.Folder()});
    ASSERT_EQ(json.ExitCode, 0) << json.Err.toStdString();
    const QJsonObject graph = JsonOf(json);
    EXPECT_EQ(graph[u"root"].toString().toStdString(), "App");
    const QJsonArray units = graph[u"units"].toArray();
    ASSERT_EQ(units.size(), 8); // the MAP's seven and Missing, named by a source only
    const QJsonObject a = units[4].toObject();
    EXPECT_EQ(a[u"name"].toString().toStdString(), "A");
    EXPECT_EQ(a[u"retained_size"].toInteger(), 5200);
    EXPECT_TRUE(a[u"uses_known"].toBool());
    EXPECT_EQ(Names(a[u"uses"].toArray()).toStdString(), "System SysInit Big Shared");
    EXPECT_FALSE(units[0].toObject()[u"uses_known"].toBool());

    const TCliResult dot =
        RunCli({u"graph"_s, fixture.Map(), u"--search-dir"_s, fixture.Folder(), u"--format"_s, u"dot"_s});
    ASSERT_EQ(dot.ExitCode, 0) << dot.Err.toStdString();
    EXPECT_TRUE(dot.Out.startsWith("digraph units {\n"));
    EXPECT_TRUE(dot.Out.contains("n4 -> n3 [style=dashed];")) << dot.Out.toStdString();
    EXPECT_TRUE(dot.Out.endsWith("}\n"));
}

TEST(CliWhyTest, UsesOfOneFile)
{
    const TUsesFixture fixture;
    const TCliResult source =
        RunCli({u"uses"_s, fixture.Dir.filePath(u"src/B.pas"_s), u"--format"_s, u"json"_s});
    ASSERT_EQ(source.ExitCode, 0) << source.Err.toStdString();
    EXPECT_EQ(
        source.Out.toStdString(),
        "{\"unit\":\"B\",\"compiler\":null,\"platform\":null,\"interface\":[{\"name\":\"Shared\",\"imports\":"
        "true},{\"name\":\"Missing\",\"imports\":true,\"conditional\":true}],\"implementation\":[]}\n");

    WriteTestFile(fixture.Dir.filePath(u"Bad.dcu"_s), QByteArray::fromHex("0102030405060708"));
    const TCliResult bad = RunCli({u"uses"_s, fixture.Dir.filePath(u"Bad.dcu"_s)});
    EXPECT_EQ(bad.ExitCode, 3);
    EXPECT_TRUE(bad.Err.endsWith(u"Bad.dcu: an unknown compiler version (first bytes 01 02 03 04)\n"_s))
        << bad.Err.toStdString();
    const TCliResult missing = RunCli({u"uses"_s, fixture.Dir.filePath(u"None.dcu"_s)});
    EXPECT_EQ(missing.ExitCode, 2);
}

TEST(CliWhyTest, UsageErrors)
{
    struct TCase
    {
        QStringList Arguments;
        const char *Message;
    };
    const TCase cases[] = {
        {{u"why"_s, u"a.map"_s}, "why needs a MAP file and the name of a unit (try why --help)"},
        {{u"why"_s, u"a.map"_s, u"U"_s, u"--paths"_s, u"0"_s},
         "option --paths: a number of at least 1 is needed, not \"0\""},
        {{u"why"_s, u"a.map"_s, u"U"_s, u"--format"_s, u"csv"_s},
         "option --format: unknown format \"csv\": use table or json"},
        {{u"graph"_s, u"a.map"_s, u"--format"_s, u"table"_s},
         "option --format: unknown format \"table\": use json or dot"},
        {{u"uses"_s}, "uses needs a .dcu, .pas, .dpr or .dpk file (try uses --help)"},
        {{u"report"_s, u"a.map"_s, u"--format"_s, u"dot"_s},
         "option --format: unknown format \"dot\": use table, csv, json or html"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Arguments.join(u' ').toStdString());
        const TCliResult result = RunCli(c.Arguments);
        EXPECT_EQ(result.ExitCode, 64);
        EXPECT_EQ(result.Err.toStdString(), "quillon-cli: " + std::string(c.Message) + "\n");
    }
}

// Chains read by hand from the uses clauses of corpus projects that carry their sources.
TEST(CliWhyTest, ChainsOfCorpusProjects)
{
    struct TCase
    {
        const char *Map;
        const char *SearchDir;
        const char *Unit;
        const char *FirstChain;
        const char *UsedBy;
    };
    const TCase cases[] = {
        // Project1.dpr uses Unit2 before Unit3; both name jpeg in their interface, importing nothing.
        {"d7-circuit/Project1.map", "d7-circuit", "jpeg",
         "Project1 > Unit2[program,source] > jpeg[interface,dcu,init]", "Unit2 Unit3"},
        // The program names ComplexAlg itself; Unit1 and MatrixAlg use it too, Unit4 for nothing.
        {"d7-circuit/Project1.map", "d7-circuit", "ComplexAlg", "Project1 > ComplexAlg[program,source]",
         "Project1 Unit1 MatrixAlg Unit4"},
        // Unit4's interface names Unit1; the program names Unit1 first.
        {"d7-circuit/Project1.map", "d7-circuit", "Unit1", "Project1 > Unit1[program,source]",
         "Project1 Unit4"},
        // The main form's interface uses IdHTTP for nothing; RemoteViewer imports from it.
        {"xe2-rdviewer/Win32/Debug/RemoteControlViewer.map", "xe2-rdviewer", "IdHTTP",
         "RemoteControlViewer > RemoteViewerMainForm[program,source] > IdHTTP[interface,dcu,init]",
         "RemoteViewerMainForm RemoteViewer"},
        // The program names SQLite3 itself; dbMgr's interface names it for nothing, SQLiteTable3's
        // imports from it.
        {"d7-sqlite-game/Project1.map", "d7-sqlite-game", "SQLite3", "Project1 > SQLite3[program,source]",
         "Project1 dbMgr SQLiteTable3"},
    };
    if (!QDir(QUILLON_CORPUS_DIR).exists())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Unit);
        const QString corpus = QStringLiteral(QUILLON_CORPUS_DIR) + u'/';
        const TCliResult result =
            RunCli({u"why"_s, corpus + QString::fromUtf8(c.Map), QString::fromUtf8(c.Unit), u"--search-dir"_s,
                    corpus + QString::fromUtf8(c.SearchDir), u"--format"_s, u"json"_s});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        const QJsonObject why = JsonOf(result);
        ASSERT_FALSE(why[u"chains"].toArray().isEmpty());
        EXPECT_EQ(ChainText(why[u"chains"].toArray()[0].toArray()).toStdString(), c.FirstChain);
        EXPECT_EQ(Names(why[u"used_by"].toArray()).toStdString(), c.UsedBy);
    }
}

// Without a project file the program's own uses are the units its PACKAGEINFO does not mark as
// pulled in by another; an executable of another build is not used.
TEST(CliWhyTest, ProgramUsesFromTheExecutable)
{
    if (!QDir(QUILLON_CORPUS_DIR).exists())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    QTemporaryDir dir;
    ASSERT_TRUE(CopyCircuitWithoutProject(dir));
    const QString corpus = QStringLiteral(QUILLON_CORPUS_DIR) + u'/';
    const TCliResult beside =
        RunCli({u"why"_s, dir.filePath(u"Project1.map"_s), u"Unit4"_s, u"--format"_s, u"json"_s});
    ASSERT_EQ(beside.ExitCode, 0) << beside.Err.toStdString();
    EXPECT_EQ(Chains(JsonOf(beside)).toStdString(), "Project1 > Unit4[program,exe]");

    const TCliResult other = RunCli({u"why"_s, dir.filePath(u"Project1.map"_s), u"Unit4"_s, u"--exe"_s,
                                     corpus + u"d2005-bank-large/bank.exe"_s, u"--format"_s, u"json"_s});
    ASSERT_EQ(other.ExitCode, 0) << other.Err.toStdString();
    EXPECT_TRUE(other.Err.contains(u"bank.exe\" comes from another build than the MAP file"_s))
        << other.Err.toStdString();
    EXPECT_EQ(Chains(JsonOf(other)).toStdString(), "");
    EXPECT_TRUE(JsonOf(other)[u"retained_size"].isNull());

    const TCliResult missing = RunCli(
        {u"why"_s, dir.filePath(u"Project1.map"_s), u"Unit4"_s, u"--exe"_s, dir.filePath(u"None.exe"_s)});
    EXPECT_EQ(missing.ExitCode, 2);
}

TEST(CliWhyTest, ReportWithRetainedSizes)
{
    const TUsesFixture fixture;
    const TCliResult json = RunCli({u"report"_s, fixture.Map(), u"--search-dir"_s, fixture.Folder(),
                                    u"--retained"_s, u"--format"_s, u"json"_s});
    ASSERT_EQ(json.ExitCode, 0) << json.Err.toStdString();
    QStringList retained;
    for (const QJsonValue &unit : JsonOf(json)[u"units"].toArray()) {
        const QJsonObject object = unit.toObject();
        retained << object[u"name"].toString() + u'=' +
                        QString::number(object[u"retained_size"].toInteger()) +
                        (object[u"retained_upper_bound"].toBool() ? u"?"_s : QString());
    }
    EXPECT_EQ(retained.join(u' ').toStdString(),
              "Big=5000 Shared=300 A=5200? B=150 System=100 App=5810 SysInit=10");

    const TCliResult csv = RunCli({u"report"_s, fixture.Map(), u"--search-dir"_s, fixture.Folder(),
                                   u"--retained"_s, u"--format"_s, u"csv"_s});
    ASSERT_EQ(csv.ExitCode, 0) << csv.Err.toStdString();
    EXPECT_TRUE(csv.Out.startsWith("unit,code_size,percent,dfm_size,dcu_size,ratio,retained_size\nBig,5000,"))
        << csv.Out.toStdString();
    const TCliResult table =
        RunCli({u"report"_s, fixture.Map(), u"--search-dir"_s, fixture.Folder(), u"--retained"_s});
    ASSERT_EQ(table.ExitCode, 0) << table.Err.toStdString();
    EXPECT_TRUE(table.Out.contains("Retained")) << table.Out.toStdString();
    EXPECT_TRUE(table.Out.contains("<= 5,200")) << table.Out.toStdString();
}

// The table with the retained sizes keeps within 80 columns under headings of two lines, with long
// dotted names and with symbol rows; its figures stay whole.
TEST(CliWhyTest, RetainedTableFitsEightyColumns)
{
    if (!QDir(QUILLON_CORPUS_DIR).exists())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    const QString folder = QStringLiteral(QUILLON_CORPUS_DIR) + u"/xe2-rdviewer"_s;
    const QString map = folder + u"/Win32/Debug/RemoteControlViewer.map"_s;
    for (const QStringList &extra : {QStringList{}, QStringList{u"--symbols"_s}}) {
        SCOPED_TRACE(extra.join(u' ').toStdString());
        const TCliResult table =
            RunCli(QStringList{u"report"_s, map, u"--search-dir"_s, folder, u"--retained"_s} + extra);
        ASSERT_EQ(table.ExitCode, 0) << table.Err.toStdString();
        const QStringList lines = QString::fromUtf8(table.Out).split(u'\n');
        ASSERT_GT(lines.size(), 4);
        EXPECT_EQ(lines[0].simplified().toStdString(), "Compiled DFM Ratio DCU Retained");
        EXPECT_EQ(lines[1].simplified().toStdString(), "Unit size % size size size");
        for (const QString &line : lines)
            EXPECT_LE(line.size(), 80) << line.toStdString();
        // A unit row: the name cut to its column, then every figure.
        const QStringList cells = lines[3].split(u"  "_s, Qt::SkipEmptyParts);
        EXPECT_GE(cells.size(), 6) << lines[3].toStdString();
    }
}

// report reads the program's uses from the executable --exe chooses, for --retained as for the html
// page's graph: none with --exe none, which leaves the page without a graph.
TEST(CliWhyTest, ReportTakesTheProgramsUsesFromTheChosenExecutable)
{
    if (!QDir(QUILLON_CORPUS_DIR).exists())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    QTemporaryDir dir;
    ASSERT_TRUE(CopyCircuitWithoutProject(dir));
    const QString corpus = QStringLiteral(QUILLON_CORPUS_DIR) + u'/';
    const QString map = dir.filePath(u"Project1.map"_s);
    QString told;
    const auto unit4Retained = [&](const QStringList &options) {
        const TCliResult result =
            RunCli(QStringList{u"report"_s, map, u"--retained"_s, u"--format"_s, u"json"_s} + options);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        told = result.Err;
        for (const QJsonValue &unit : JsonOf(result)[u"units"].toArray())
            if (unit[u"name"].toString() == u"Unit4"_s)
                return unit[u"retained_size"];
        return QJsonValue(QJsonValue::Undefined);
    };
    EXPECT_EQ(unit4Retained({}).toInteger(), 4300);
    EXPECT_TRUE(unit4Retained({u"--exe"_s, u"none"_s}).isNull());
    EXPECT_TRUE(unit4Retained({u"--exe"_s, corpus + u"d2005-bank-large/bank.exe"_s}).isNull());
    // Both the whole file's reading and the uses' find it another build's: it is told once.
    EXPECT_EQ(told.count(u"comes from another build"_s), 1) << told.toStdString();

    const auto pageGraph = [&](const QStringList &options) {
        const QString page = dir.filePath(u"page.html"_s);
        const TCliResult result = RunCli(
            QStringList{u"report"_s, map, u"--format"_s, u"html"_s, u"--output"_s, page} + options);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        QFile file(page);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray html = file.readAll();
        const QByteArray opening = R"(<script type="application/json" id="quillon-graph">)";
        const qsizetype from = html.indexOf(opening) + opening.size();
        return html.mid(from, html.indexOf("</script>", from) - from);
    };
    const QJsonObject graph = QJsonDocument::fromJson(pageGraph({})).object();
    const QJsonArray names = graph[u"names"_s].toArray();
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names[graph[u"root"_s].toInt()].toString(), u"Project1"_s);
    // The program's edges, read from the executable: origin exe (4 × 2), kind program (2).
    const QJsonArray programUses = graph[u"uses"_s][graph[u"root"_s].toInt()].toArray();
    ASSERT_FALSE(programUses.isEmpty());
    for (const QJsonValue &edge : programUses)
        EXPECT_EQ(edge.toInt() % 16, 4 * 2 + 2);
    EXPECT_EQ(pageGraph({u"--exe"_s, u"none"_s}), "null");
}
