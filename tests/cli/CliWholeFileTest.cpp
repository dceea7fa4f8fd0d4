// The whole executable in quillon-cli: the json "file" object, --file tables, the executable
// without a MAP file, executables of another build or damaged ones, and the file budgets.
#include "CliRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <vector>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString Corpus = QStringLiteral(QUILLON_CORPUS_DIR);
const QString MatchingMap = Corpus + u"/d7-circuit/Project1.map"_s;
const QString OtherBuildMap = Corpus + u"/d2005-bank-large/bank.map"_s;
const QString ExeWithoutMap = Corpus + u"/d12-exe-koerper-win64/Win64/Release/Project1.exe"_s;

class CliWholeFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo(MatchingMap).isFile())
            GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    }
};

qint64 SumOf(const QJsonArray &parts, const char *field)
{
    qint64 sum = 0;
    for (const QJsonValue &part : parts)
        sum += part[QLatin1String(field)].toInteger();
    return sum;
}

void ExpectChildrenAddUp(const QJsonArray &parts)
{
    for (const QJsonValue &part : parts) {
        const QJsonArray children = part["children"_L1].toArray();
        if (children.isEmpty())
            continue;
        EXPECT_EQ(SumOf(children, "file_size"), part["file_size"_L1].toInteger())
            << part["name"_L1].toString().toStdString();
        EXPECT_EQ(SumOf(children, "vm_size"), part["vm_size"_L1].toInteger())
            << part["name"_L1].toString().toStdString();
        ExpectChildrenAddUp(children);
    }
}

QJsonObject Part(const QJsonArray &parts, const QString &name)
{
    for (const QJsonValue &part : parts)
        if (part["name"_L1].toString() == name)
            return part.toObject();
    return {};
}

TEST_F(CliWholeFileTest, JsonReportHoldsTheWholeFile)
{
    const TCliResult result = RunCli({u"report"_s, MatchingMap, u"--format"_s, u"json"_s});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    const QJsonObject file = QJsonDocument::fromJson(result.Out)["file"_L1].toObject();
    EXPECT_EQ(file["format"_L1].toString(), u"PE32"_s);
    EXPECT_EQ(file["size"_L1].toInteger(), 850944);
    const QJsonArray parts = file["parts"_L1].toArray();
    EXPECT_EQ(SumOf(parts, "file_size"), 850944);
    ExpectChildrenAddUp(parts);
    const QJsonObject system = Part(Part(parts, u"CODE"_s)["children"_L1].toArray(), u"System"_s);
    EXPECT_TRUE(system["unit"_L1].toBool());
    const QJsonObject form =
        Part(Part(Part(parts, u".rsrc"_s)["children"_L1].toArray(), u"RCDATA"_s)["children"_L1].toArray(),
             u"TFORM2"_s);
    EXPECT_TRUE(form["form"_L1].toBool());
    EXPECT_EQ(form["owner"_L1].toString(), u"Unit2"_s);
}

TEST_F(CliWholeFileTest, FileTablesToADepth)
{
    const TCliResult csv =
        RunCli({u"report"_s, MatchingMap, u"--file"_s, u"--format"_s, u"csv"_s, u"--depth"_s, u"1"_s});
    ASSERT_EQ(csv.ExitCode, 0) << csv.Err.toStdString();
    const QStringList lines = QString::fromUtf8(csv.Out).trimmed().split(u'\n');
    EXPECT_EQ(lines.first(), u"depth,name,kind,file_size,vm_size,percent"_s);
    qint64 total = 0;
    for (const QString &line : lines.mid(1)) {
        EXPECT_TRUE(line.startsWith(u"1,"_s)) << line.toStdString();
        total += line.section(u',', 3, 3).toLongLong();
    }
    EXPECT_EQ(total, 850944);
    EXPECT_TRUE(lines.contains(u"1,.rsrc,section,222208,222208,26.11"_s)) << csv.Out.toStdString();

    const TCliResult table = RunCli({u"report"_s, MatchingMap, u"--file"_s, u"--depth"_s, u"3"_s});
    ASSERT_EQ(table.ExitCode, 0);
    EXPECT_TRUE(table.Out.contains("    TFORM1 (form of Unit1)")) << table.Out.toStdString();
    EXPECT_TRUE(table.Out.contains("Total                             850,944")) << table.Out.toStdString();
}

TEST_F(CliWholeFileTest, ExecutableWithoutMapGivesItsOwnParts)
{
    const TCliResult result = RunCli({u"report"_s, ExeWithoutMap, u"--format"_s, u"json"_s});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    const QJsonObject file = QJsonDocument::fromJson(result.Out)["file"_L1].toObject();
    EXPECT_EQ(file["format"_L1].toString(), u"PE32+"_s);
    EXPECT_EQ(SumOf(file["parts"_L1].toArray(), "file_size"), 4032000);
    EXPECT_FALSE(Part(file["parts"_L1].toArray(), u".pdata"_s).isEmpty());
    const TCliResult table = RunCli({u"report"_s, ExeWithoutMap});
    EXPECT_EQ(table.ExitCode, 0);
    EXPECT_TRUE(table.Out.contains(".pdata"));
}

TEST_F(CliWholeFileTest, ExecutableOfAnotherBuildIsRefusedWithAWarning)
{
    const TCliResult result = RunCli({u"report"_s, OtherBuildMap, u"--format"_s, u"json"_s});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_TRUE(result.Err.contains(u"comes from another build than the MAP file"_s))
        << result.Err.toStdString();
    EXPECT_FALSE(QJsonDocument::fromJson(result.Out).object().contains("file"_L1));
    const TCliResult file = RunCli({u"report"_s, OtherBuildMap, u"--file"_s});
    EXPECT_EQ(file.ExitCode, 2);
    EXPECT_TRUE(file.Err.contains(u"no executable of this build"_s)) << file.Err.toStdString();
}

TEST_F(CliWholeFileTest, ChosenExecutableOrNone)
{
    QTemporaryDir dir;
    const QString damaged = dir.filePath(u"Damaged.exe"_s);
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QByteArray("MZ") + QByteArray(0x3A, '\0') + QByteArray("\x40\0\0\0PE\0\0", 8));
    out.close();
    struct TCase
    {
        QStringList Extra;
        int ExitCode;
        const char *Err;
        bool HasFile;
    };
    const TCase cases[] = {
        {{u"--exe"_s, u"none"_s}, 0, "", false},
        {{u"--exe"_s, damaged}, 3, "cannot be read: the file header lies past the end of the file", false},
        {{u"--exe"_s, dir.filePath(u"Missing.exe"_s)}, 2, "does not exist", false},
        {{u"--exe"_s, Corpus + u"/d7-circuit/Project1.exe"_s}, 0, "", true},
        {{u"--exe"_s, Corpus + u"/d7-sqlite-game/Project1.exe"_s}, 0, "comes from another build", false},
    };
    for (const TCase &c : cases) {
        const TCliResult result =
            RunCli(QStringList{u"report"_s, MatchingMap, u"--format"_s, u"json"_s} + c.Extra);
        EXPECT_EQ(result.ExitCode, c.ExitCode)
            << c.Extra.join(u' ').toStdString() << result.Err.toStdString();
        EXPECT_TRUE(result.Err.contains(QString::fromUtf8(c.Err))) << result.Err.toStdString();
        if (c.ExitCode == 0) {
            EXPECT_EQ(QJsonDocument::fromJson(result.Out).object().contains("file"_L1), c.HasFile);
        }
    }
}

TEST_F(CliWholeFileTest, FileBudgets)
{
    struct TCase
    {
        QStringList Budgets;
        int ExitCode;
        const char *Out;
    };
    const TCase cases[] = {
        {{u"--max-file"_s, u"1M"_s}, 0, "1 budget held"},
        {{u"--max-file"_s, u"800K"_s}, 1, "budget broken: --max-file 800K: the file is 850,944 bytes"},
        {{u"--max-part"_s, u"ICON=100K"_s}, 1, "ICON is 187,854 bytes"},
        {{u"--max-part"_s, u".rsrc=300K"_s, u"--max-part"_s, u"code=600K"_s}, 0, "2 budgets held"},
        {{u"--max-part"_s, u"Overlay=1"_s}, 0, "1 budget held"},
    };
    for (const TCase &c : cases) {
        const TCliResult result = RunCli(QStringList{u"check"_s, MatchingMap} + c.Budgets);
        EXPECT_EQ(result.ExitCode, c.ExitCode)
            << c.Budgets.join(u' ').toStdString() << result.Err.toStdString();
        EXPECT_TRUE(result.Out.contains(c.Out)) << result.Out.toStdString();
    }
    const TCliResult other = RunCli({u"check"_s, OtherBuildMap, u"--max-file"_s, u"10M"_s});
    EXPECT_EQ(other.ExitCode, 2);
    EXPECT_TRUE(other.Err.contains(u"--max-file 10M needs the executable of the build"_s))
        << other.Err.toStdString();
}

TEST_F(CliWholeFileTest, DiffComparesTheWholeFilesWhenBothHaveTheirs)
{
    const QString older = Corpus + u"/d7-sqlite-game/Project1.map"_s;
    const TCliResult json = RunCli({u"diff"_s, older, MatchingMap, u"--format"_s, u"json"_s});
    ASSERT_EQ(json.ExitCode, 0) << json.Err.toStdString();
    const QJsonObject file = QJsonDocument::fromJson(json.Out)["file"_L1].toObject();
    EXPECT_EQ(file["old_size"_L1].toInteger(), 557568);
    EXPECT_EQ(file["delta"_L1].toInteger(), 850944 - 557568);
    const QJsonObject rsrc = file["parts"_L1].toArray().first().toObject();
    EXPECT_EQ(rsrc["name"_L1].toString(), u".rsrc"_s);
    EXPECT_EQ(rsrc["children"_L1].toArray().first()["name"_L1].toString(), u"ICON"_s);

    const TCliResult table = RunCli({u"diff"_s, older, MatchingMap});
    EXPECT_TRUE(table.Out.contains("Whole file                        557,568      850,944     +293,376"))
        << table.Out.toStdString();
    EXPECT_TRUE(
        table.Out.contains("\n  ICON                                744      187,854     +187,110\n"));

    // The other build's executable is refused: no whole files to compare.
    const TCliResult other = RunCli({u"diff"_s, OtherBuildMap, MatchingMap, u"--format"_s, u"json"_s});
    EXPECT_EQ(other.ExitCode, 0);
    EXPECT_FALSE(QJsonDocument::fromJson(other.Out).object().contains("file"_L1));
}

// csv and markdown carry the same comparison as table and json, and leave it out as they do.
TEST_F(CliWholeFileTest, DiffCsvAndMarkdownCompareTheWholeFilesToo)
{
    const QString older = Corpus + u"/d7-sqlite-game/Project1.map"_s;
    struct TCase
    {
        QString Format;
        std::vector<const char *> Expected;
        const char *Absent; // in the comparison with the other build's executable
    };
    const std::vector<TCase> cases = {
        {u"csv"_s,
         {"unit,old_size,new_size,delta,status\n",
          "\n\ndepth,part,old_size,new_size,delta\n0,Whole file,557568,850944,293376\n1,.rsrc,25088,222208,"
          "197120\n2,ICON,744,187854,187110\n",
          "\n1,CODE,482304,576000,93696\n2,Grids,0,43164,43164\n", "\n2,[base relocations],31016,34080,3064\n"},
         "depth,part"},
        {u"markdown"_s,
         {"### Code size: ", "\n### File size: 557,568 \u2192 850,944 bytes (+293,376, +52.62 %)\n\n"
                             "| Part | Old size | New size | Change |\n|:--|--:|--:|--:|\n| .rsrc | 25,088 | 222,208 | "
                             "+197,120 |\n| \u21b3 ICON | 744 | 187,854 | +187,110 |\n",
          "| CODE | 482,304 | 576,000 | +93,696 |\n",
          // Below a part only its largest changes, the rest summed; every changed section is there.
          "| \u21b3 \u2026 33 more | | | +10,136 |\n| .reloc |", "| DATA | 7,680 | 7,680 | 0 |\n"},
         "### File size"},
    };
    for (const TCase &c : cases) {
        const TCliResult result = RunCli({u"diff"_s, older, MatchingMap, u"--format"_s, c.Format});
        ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        for (const char *expected : c.Expected)
            EXPECT_TRUE(result.Out.contains(expected))
                << c.Format.toStdString() << " lacks " << expected << " in\n" << result.Out.toStdString();
        const TCliResult other = RunCli({u"diff"_s, OtherBuildMap, MatchingMap, u"--format"_s, c.Format});
        EXPECT_EQ(other.ExitCode, 0);
        EXPECT_FALSE(other.Out.contains(c.Absent)) << c.Format.toStdString();
    }
}

TEST(CliWholeFileUsage, WrongCombinationsAreUsageErrors)
{
    const QString map = SampleMapFile;
    const QStringList cases[] = {
        {u"report"_s, map, u"--depth"_s, u"2"_s},
        {u"report"_s, map, u"--file"_s, u"--format"_s, u"json"_s},
        {u"report"_s, map, u"--file"_s, u"--depth"_s, u"0"_s},
        {u"report"_s, map, u"--file"_s, u"--exe"_s, u"none"_s},
        {u"check"_s, map, u"--max-part"_s, u"ICON"_s},
        {u"check"_s, map, u"--max-file"_s, u"1M"_s, u"--exe"_s, u"none"_s},
    };
    for (const QStringList &arguments : cases)
        EXPECT_EQ(RunCli(arguments).ExitCode, 64) << arguments.join(u' ').toStdString();
}

} // namespace
