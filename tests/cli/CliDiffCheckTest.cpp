// quillon-cli diff and check as whole programs: on pairs of builds that the MAP generator writes (units
// added, removed, grown and shrunk by a known rule) and on the real MAP files of the corpus.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TRun
{
    int ExitCode = -1;
    QByteArray Out;
    QString Err;
};

TRun RunProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(300000));
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

TRun Cli(const QStringList &arguments)
{
    return RunProgram(QUILLON_CLI_PATH, arguments);
}

QJsonObject Json(const TRun &run)
{
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(run.Out, &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return object;
}

// Largest absolute change first, ties by name in byte order; totals are the sums.
void ExpectConsistentDiff(const QJsonObject &diff)
{
    qint64 oldTotal = 0;
    qint64 newTotal = 0;
    qint64 previous = std::numeric_limits<qint64>::max();
    QByteArray previousName;
    for (const QJsonValue value : diff["units"].toArray()) {
        const QJsonObject unit = value.toObject();
        const qint64 oldSize = unit["old_size"].toInteger();
        const qint64 newSize = unit["new_size"].toInteger();
        const qint64 delta = unit["delta"].toInteger();
        const QByteArray name = unit["name"].toString().toUtf8();
        EXPECT_EQ(delta, newSize - oldSize) << name.toStdString();
        EXPECT_TRUE(qAbs(delta) < previous || (qAbs(delta) == previous && previousName < name))
            << name.toStdString();
        previous = qAbs(delta);
        previousName = name;
        const QString status = unit["status"].toString();
        if (delta > 0) {
            EXPECT_TRUE(status == "grown" || status == "added") << name.toStdString();
        } else if (delta < 0) {
            EXPECT_TRUE(status == "shrunk" || status == "removed") << name.toStdString();
        }
        oldTotal += oldSize;
        newTotal += newSize;
    }
    EXPECT_EQ(diff["old_total"].toInteger(), oldTotal);
    EXPECT_EQ(diff["new_total"].toInteger(), newTotal);
    EXPECT_EQ(diff["delta"].toInteger(), newTotal - oldTotal);
}

class CliDiffCheckTest : public ::testing::Test
{
protected:
    // A first build of 60 units and its next build (the generator's rule: numbers ending in 3 gone, in
    // 5 grown by five 64-byte symbols, in 7 one symbol shorter; units 60 and up added).
    bool WritePair()
    {
#ifdef QUILLON_MAPGEN_PATH
        OldMap = Dir.filePath("old.map");
        NewMap = Dir.filePath("new.map");
        return RunProgram(QUILLON_MAPGEN_PATH, {OldMap, "60", "3000"}).ExitCode == 0 &&
               RunProgram(QUILLON_MAPGEN_PATH, {NewMap, "60", "3000", "--next-build"}).ExitCode == 0;
#else
        return false;
#endif
    }

    // The generator's unit number: the first eight units are named after their area.
    static int UnitNumber(const QString &name)
    {
        static const QStringList areas = {"System", "Vcl", "Data", "Xml", "Web", "Winapi", "Fmx", "App"};
        const int area = int(areas.indexOf(name));
        return area >= 0 ? area : name.section(u".U"_qs, 1).toInt();
    }

    static QString ExpectedStatus(int number)
    {
        if (number >= 60)
            return "added";
        switch (number % 10) {
        case 3:
            return "removed";
        case 5:
            return "grown";
        case 7:
            return "shrunk";
        default:
            return "unchanged";
        }
    }

    QString WriteFile(const QString &name, const QByteArray &text)
    {
        QFile file(Dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }

    QTemporaryDir Dir;
    QString OldMap;
    QString NewMap;
};

} // namespace

TEST_F(CliDiffCheckTest, DiffOfGeneratedBuilds)
{
    if (!WritePair())
        GTEST_SKIP() << "the MAP generator is built with the benchmarks (QUILLON_BUILD_BENCH)";
    const TRun json = Cli({"diff", OldMap, NewMap, "--format", "json", "--symbols"});
    ASSERT_EQ(json.ExitCode, 0) << json.Err.toStdString();
    const QJsonObject diff = Json(json);
    EXPECT_EQ(diff["old"].toString(), OldMap);
    EXPECT_EQ(diff["new"].toString(), NewMap);
    ExpectConsistentDiff(diff);
    const QJsonArray units = diff["units"].toArray();
    EXPECT_EQ(units.size(), 61) << "60 units, one added";
    QMap<QString, int> statuses;
    for (const QJsonValue value : units) {
        const QJsonObject unit = value.toObject();
        const QString name = unit["name"].toString();
        const QString status = unit["status"].toString();
        EXPECT_EQ(status, ExpectedStatus(UnitNumber(name))) << name.toStdString();
        ++statuses[status];
        const QJsonArray symbols = unit["symbols"].toArray();
        if (status == "grown") {
            EXPECT_EQ(unit["delta"].toInteger(), 5 * 64) << name.toStdString();
            QStringList added;
            for (const QJsonValue symbol : symbols)
                if (symbol["old_size"].toInteger() == 0)
                    added << symbol["name"].toString();
            added.sort();
            EXPECT_EQ(added, QStringList({"TNextBuild.Added0", "TNextBuild.Added1", "TNextBuild.Added2",
                                          "TNextBuild.Added3", "TNextBuild.Added4"}))
                << name.toStdString();
        } else if (status == "unchanged") {
            // Of two symbols at one address the address sort keeps either; the bytes stay.
            qint64 sum = 0;
            for (const QJsonValue symbol : symbols)
                sum += symbol["delta"].toInteger();
            EXPECT_EQ(sum, 0) << name.toStdString();
        } else {
            EXPECT_FALSE(symbols.isEmpty()) << name.toStdString();
        }
        for (const QJsonValue symbol : symbols)
            EXPECT_NE(symbol["delta"].toInteger(), 0);
    }
    EXPECT_EQ(statuses, (QMap<QString, int>{
                            {"added", 1}, {"removed", 6}, {"grown", 6}, {"shrunk", 6}, {"unchanged", 42}}));

    const TRun csv = Cli({"diff", OldMap, NewMap, "--format", "csv"});
    ASSERT_EQ(csv.ExitCode, 0);
    const QList<QByteArray> rows = csv.Out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 62);
    EXPECT_EQ(rows[0], "unit,old_size,new_size,delta,status");
    const QJsonObject first = units[0].toObject();
    EXPECT_EQ(QString::fromUtf8(rows[1]), u"%1,%2,%3,%4,%5"_qs.arg(first["name"].toString())
                                              .arg(first["old_size"].toInteger())
                                              .arg(first["new_size"].toInteger())
                                              .arg(first["delta"].toInteger())
                                              .arg(first["status"].toString()));

    const TRun table = Cli({"diff", OldMap, NewMap});
    ASSERT_EQ(table.ExitCode, 0);
    const QStringList lines = QString::fromUtf8(table.Out).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 2 + 19 + 2) << "header, rule, the changed units, rule, total";
    EXPECT_TRUE(lines.last().startsWith("Total (61 units, 19 changed)")) << lines.last().toStdString();
    EXPECT_TRUE(table.Out.contains(" +320  grown\n"));
    EXPECT_EQ(QString::fromUtf8(Cli({"diff", OldMap, NewMap, "--all"}).Out).count(u'\n'), 2 + 61 + 2);
}

TEST_F(CliDiffCheckTest, CheckOfGeneratedBuilds)
{
    if (!WritePair())
        GTEST_SKIP() << "the MAP generator is built with the benchmarks (QUILLON_BUILD_BENCH)";
    // Backwards, the pair grows: the removed units come back.
    const QJsonObject diff = Json(Cli({"diff", NewMap, OldMap, "--format", "json"}));
    const qint64 total = diff["new_total"].toInteger();
    const qint64 growth = diff["delta"].toInteger();
    ASSERT_GT(growth, 0);
    int vclOver1K = 0;
    int grownOver1Percent = 0;
    for (const QJsonValue unit : diff["units"].toArray()) {
        vclOver1K +=
            unit["name"].toString().toLower().startsWith("vcl.") && unit["new_size"].toInteger() > 1024;
        grownOver1Percent += unit["old_size"].toInteger() > 0 &&
                             unit["delta"].toInteger() * 100 > unit["old_size"].toInteger();
    }
    ASSERT_GT(vclOver1K, 0);
    ASSERT_GT(grownOver1Percent, 0);

    struct TCase
    {
        QStringList Options;
        int ExitCode;
        int Breaches;
    };
    const TCase cases[] = {
        {{"--max-total", QString::number(total)}, 0, 0},
        {{"--max-total", QString::number(total - 1)}, 1, 1},
        {{"--max-unit", "VCL.*=1K"}, 1, vclOver1K},
        {{"--max-unit", "NoSuchUnit*=0"}, 0, 0},
        {{"--baseline", NewMap, "--max-growth", QString::number(growth)}, 0, 0},
        {{"--baseline", NewMap, "--max-growth", QString::number(growth - 1)}, 1, 1},
        {{"--baseline", NewMap, "--max-unit-growth", "1%"}, grownOver1Percent ? 1 : 0, grownOver1Percent},
        // The six units that came back grew by their whole size.
        {{"--baseline", NewMap, "--max-unit-growth", "0"}, 1, 6 + 6},
        {{"--baseline", OldMap, "--max-unit-growth", "0", "--max-growth", "0"}, 0, 0},
    };
    for (const TCase &c : cases) {
        const TRun run = Cli(QStringList{"check", OldMap} + c.Options);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << c.Options.join(' ').toStdString() << run.Err.toStdString();
        const QStringList lines = QString::fromUtf8(run.Out).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.filter(QRegularExpression("^budget broken: --")).size(), c.Breaches)
            << c.Options.join(' ').toStdString() << run.Out.toStdString();
        EXPECT_TRUE(lines.last().endsWith(c.ExitCode ? "budgets broken" : "held")) << run.Out.toStdString();
    }

    const QString budgets = WriteFile("budgets.txt", "# the budgets of the generated project\n"
                                                     "max-total " +
                                                         QByteArray::number(total) +
                                                         "\n"
                                                         "\n"
                                                         "max-unit vcl.*=1K   # VCL units stay small\n");
    const TRun fromFile = Cli({"check", OldMap, "--budgets", budgets});
    EXPECT_EQ(fromFile.ExitCode, 1);
    EXPECT_EQ(QString::fromUtf8(fromFile.Out).count(budgets + ":4: max-unit vcl.*=1K: unit "), vclOver1K)
        << fromFile.Out.toStdString();
    EXPECT_TRUE(fromFile.Out.endsWith("1 of 2 budgets broken\n")) << fromFile.Out.toStdString();
}

TEST_F(CliDiffCheckTest, ExitCodesAndMessages)
{
    const QString sample = QUILLON_SOURCE_DIR "/examples/sample/SampleApp.map";
    const QString malformed = WriteFile(
        "Bad.map",
        "\r\n Start         Length     Name                   Class\r\n"
        " 0001:00401000 00000100H .text                   CODE\r\n\r\nDetailed map of segments\r\n\r\n"
        " 0001:00000000 0000ZZZZ C=CODE     S=.text    G=(none)   M=UnitA    ACBP=A9\r\n");
    const QString badBudgets = WriteFile("bad.txt", "max-total 2M\n# fine so far\nmax-unit Vcl.*\n");
    const QString growthBudgets = WriteFile("growth.txt", "max-growth 1%\n");
    struct TCase
    {
        const char *Name;
        QStringList Arguments;
        int ExitCode;
        QString Message;
    };
    const TCase cases[] = {
        {"same build", {"diff", sample, sample}, 0, ""},
        {"missing old MAP file", {"diff", Dir.filePath("Gone.map"), sample}, 2, "not available."},
        {"missing new MAP file", {"diff", sample, Dir.filePath("Gone.map")}, 2, "not available."},
        {"malformed", {"diff", sample, malformed}, 3, "(MAP file line 7)"},
        {"one MAP file", {"diff", sample}, 64, "diff needs the old and the new MAP file"},
        {"unwritable output",
         {"diff", sample, sample, "--output", Dir.filePath("no/such/x")},
         1,
         "cannot write"},
        {"budget holds", {"check", sample, "--max-total", "9K"}, 0, ""},
        {"budget broken", {"check", sample, "--max-total", "8K"}, 1, ""},
        {"missing MAP file", {"check", Dir.filePath("Gone.map"), "--max-total", "9K"}, 2, "not available."},
        {"malformed MAP file", {"check", malformed, "--max-total", "9K"}, 3, "MAP file line 7"},
        {"missing baseline",
         {"check", sample, "--baseline", Dir.filePath("Gone.map"), "--max-growth", "0"},
         2,
         "not available."},
        {"bad size", {"check", sample, "--max-total", "9KB"}, 64, "--max-total: bad size \"9KB\""},
        {"bad budgets line",
         {"check", sample, "--budgets", badBudgets},
         64,
         badBudgets + ":3: max-unit: needs PATTERN=SIZE"},
        {"growth budget without baseline",
         {"check", sample, "--budgets", growthBudgets},
         64,
         growthBudgets + ":1: max-growth 1%: needs --baseline"},
        {"missing budgets file", {"check", sample, "--budgets", Dir.filePath("none.txt")}, 2, "budgets file"},
        {"budgets file is a folder", {"check", sample, "--budgets", Dir.path()}, 2, "budgets file"},
    };
    for (const TCase &c : cases) {
        const TRun run = Cli(c.Arguments);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << c.Name << ": " << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Message)) << c.Name << ": " << run.Err.toStdString();
        if (c.ExitCode >= 2) {
            EXPECT_TRUE(run.Out.isEmpty()) << c.Name;
        }
    }
    EXPECT_TRUE(Cli({"--help"}).Out.contains("quillon-cli check MAPFILE"));
}

TEST_F(CliDiffCheckTest, DiffOfCorpusFiles)
{
    QStringList maps;
    QDirIterator it(QUILLON_CORPUS_DIR, {"*.map"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        maps << it.next();
    if (maps.isEmpty())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    maps.sort();
    for (qsizetype i = 0; i < maps.size(); ++i) {
        // Each file against itself, and against the next one (projects of one compiler share most
        // of their run-time library units).
        const QJsonObject same = Json(Cli({"diff", maps[i], maps[i], "--format", "json", "--symbols"}));
        EXPECT_EQ(same["delta"].toInteger(), 0) << maps[i].toStdString();
        for (const QJsonValue unit : same["units"].toArray()) {
            EXPECT_EQ(unit["status"].toString(), "unchanged") << maps[i].toStdString();
            EXPECT_TRUE(unit["symbols"].toArray().isEmpty()) << maps[i].toStdString();
        }
        const QString next = maps[(i + 1) % maps.size()];
        const TRun run = Cli({"diff", maps[i], next, "--format", "json", "--symbols"});
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        ExpectConsistentDiff(Json(run));
    }
}
