// quillon-cli as a whole program: formats, exit codes and messages.

#include "CliRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString Sample = SampleMapFile;
const QString SampleDir = SampleFolder;

QByteArray MalformedMap()
{
    return "\r\n Start         Length     Name                   Class\r\n"
           " 0001:00401000 00000100H .text                   CODE\r\n\r\nDetailed map of segments\r\n\r\n"
           " 0001:00000000 00000010 C=CODE     S=.text    G=(none)   M=UnitA    ACBP=A9\r\n"
           " 0001:00000010 0000ZZZZ C=CODE     S=.text    G=(none)   M=UnitB    ACBP=A9\r\n";
}

} // namespace

TEST(CliReportTest, CsvOfTheSample)
{
    const TCliResult result = RunCli({"report", Sample, "--search-dir", SampleDir, "--format", "csv"});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_EQ(result.Out.toStdString(), "unit,code_size,percent,dfm_size,dcu_size,ratio\n"
                                        "Main,2160,24.98,4208,9412,4.4\n"
                                        "System.Classes,1120,12.95,0,0,-\n"
                                        "System.SysUtils,1088,12.58,0,0,-\n"
                                        "System,1028,11.89,0,0,-\n"
                                        "Vcl.Controls,1024,11.84,0,0,-\n"
                                        "Vcl.Forms,936,10.82,0,0,-\n"
                                        "Data.Helpers,520,6.01,0,5066,9.7\n"
                                        "About,296,3.42,724,3180,10.7\n"
                                        "SampleApp,200,2.31,0,0,-\n"
                                        "System.Types,156,1.80,0,0,-\n"
                                        "SysInit,120,1.39,0,0,-\n");
    EXPECT_TRUE(result.Err.isEmpty()) << result.Err.toStdString();
}

TEST(CliReportTest, JsonWithSymbolTreesInDisplayOrder)
{
    // Beside the sources, so that a relative path leads there (on Windows the temporary folder may lie
    // on another drive).
    QTemporaryDir dir(QStringLiteral(QUILLON_BINARY_DIR "/relative-XXXXXX"));
    // Relative paths are taken from the folder the tool starts in, though the analysis moves to the
    // project's folder.
    const TCliResult result = RunCli({"report", QDir(dir.path()).relativeFilePath(Sample), "--format", "json",
                                      "--symbols", "--output", "out.json"},
                                     dir.path());
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    QFile file(dir.filePath("out.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonObject report = QJsonDocument::fromJson(file.readAll(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(report["map"].toString(), QFileInfo(Sample).canonicalFilePath());
    EXPECT_EQ(report["code_segment_length"].toInteger(), 8664);
    EXPECT_EQ(report["total_code_size"].toInteger(), 8648);

    const QJsonArray units = report["units"].toArray();
    ASSERT_EQ(units.size(), 11);
    const QJsonObject main = units[0].toObject();
    EXPECT_EQ(main["name"].toString(), "Main");
    EXPECT_DOUBLE_EQ(main["percent"].toDouble(), 24.98);
    EXPECT_EQ(main["dcu_size"].toInt(), 0) << "no scan without --search-dir";
    EXPECT_EQ(main["ratio"].toString(), "-");
    const QJsonObject form = main["symbols"].toArray()[0].toObject();
    EXPECT_EQ(form["name"].toString(), "TFormMain");
    EXPECT_EQ(form["size"].toInteger(), 2148);
    qint64 previous = std::numeric_limits<qint64>::max();
    for (const QJsonValue child : form["children"].toArray()) {
        EXPECT_LE(child["size"].toInteger(), previous) << "largest first";
        previous = child["size"].toInteger();
    }
    for (const QJsonValue unit : units) {
        if (unit["name"].toString() != "System")
            continue;
        for (const QJsonValue symbol : unit["symbols"].toArray())
            EXPECT_NE(symbol["name"].toString(), "Classes")
                << "System.Classes symbols stay in their own unit";
    }
}

TEST(CliReportTest, JsonNamesWithQuotesBackslashesControlsAndAccentsRoundTrip)
{
    // Names as the text holds them: an embedded tab or bell stays part of the name.
    const char *const names[] = {"Caf\xC3\xA9.TQuote\"d", "Caf\xC3\xA9.Back\\slash", "Caf\xC3\xA9.Tab\tbed",
                                 "Caf\xC3\xA9.Bell\x07Ring", "Caf\xC3\xA9.\xE6\x97\xA5\xE6\x9C\xAC"};
    // With a byte-order mark, so that no code page guess decodes the accents.
    QByteArray map =
        "\xEF\xBB\xBF\r\n Start         Length     Name                   Class\r\n"
        " 0001:00401000 00000100H .text                   CODE\r\n\r\nDetailed map of segments\r\n\r\n"
        " 0001:00000000 00000060 C=CODE     S=.text    G=(none)   M=Caf\xC3\xA9    ACBP=A9\r\n\r\n"
        "  Address             Publics by Name\r\n\r\n  Address             Publics by Value\r\n\r\n";
    int address = 0;
    for (const char *name : names)
        map += QByteArray(" 0001:000000") + QByteArray::number(address += 16, 16).rightJustified(2, '0') +
               "       " + name + "\r\n";
    QTemporaryDir dir;
    QFile file(dir.filePath("Names.map"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(map);
    file.close();

    const TCliResult result = RunCli({"report", file.fileName(), "--format", "json", "--symbols"});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    QJsonParseError error;
    const QJsonObject report = QJsonDocument::fromJson(result.Out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject unit = report["units"].toArray()[0].toObject();
    EXPECT_EQ(unit["name"].toString(), QString::fromUtf8("Caf\xC3\xA9"));
    QStringList found;
    for (const QJsonValue symbol : unit["symbols"].toArray())
        found << symbol["name"].toString();
    for (const char *name : names)
        EXPECT_TRUE(found.contains(QString::fromUtf8(name).mid(5)))
            << name << " in " << found.join(u'|').toStdString();
    EXPECT_TRUE(result.Out.contains("Bell\\u0007Ring")) << "control characters as \\u00xx";
}

TEST(CliReportTest, ANameOfAMillionLevelsIsWrittenInEveryTreeFormat)
{
    // Each writer walks the trees recursively: an unbounded depth overflowed the stack.
    QFile sample(SampleMapFile);
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray map = sample.readAll();
    // Into "Publics by Value", the list that gives the sizes.
    const qsizetype at = map.lastIndexOf(" 0001:00000040       System.TObject.Create");
    ASSERT_GE(at, 0);
    map.insert(at, " 0001:00000048       System." + QByteArray("x.").repeated(1000000) + "y\r\n");
    QTemporaryDir dir;
    QFile file(dir.filePath("Deep.map"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(map);
    file.close();
    for (const char *format : {"json", "table", "html"}) {
        const TCliResult result = RunCli({"report", file.fileName(), "--format", format, "--symbols", "-o",
                                          dir.filePath(QStringLiteral("out.") + format)});
        EXPECT_EQ(result.ExitCode, 0) << format << ": " << result.Err.toStdString();
    }
}

TEST(CliReportTest, GroupByChoosesTheTrees)
{
    // "size of the child named Name of the unit named Unit" per grouping.
    const auto childSize = [](const QStringList &grouping, const QString &unitName, const QString &name) {
        const TCliResult result =
            RunCli(QStringList({"report", Sample, "--format", "json", "--symbols"}) + grouping);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        for (const QJsonValue unit : QJsonDocument::fromJson(result.Out).object()["units"].toArray())
            if (unit["name"].toString() == unitName)
                for (const QJsonValue child : unit["symbols"].toArray())
                    if (child["name"].toString() == name)
                        return child["size"].toInteger();
        return qint64(-1);
    };
    EXPECT_EQ(childSize({}, "Main", "[no public symbol]"), 4) << "by address by default";
    EXPECT_EQ(childSize({"--group-by", "address"}, "Vcl.Forms", "TScreen"), 28) << "stops at the unit's end";
    EXPECT_EQ(childSize({"--group-by", "name"}, "Main", "[no public symbol]"), -1);
    EXPECT_EQ(childSize({"--group-by", "name"}, "Vcl.Forms", "TScreen"), 44) << "runs into the padding";
}

TEST(CliReportTest, TableForPeople)
{
    const TCliResult result = RunCli({"report", Sample, "--symbols"});
    ASSERT_EQ(result.ExitCode, 0);
    const QString table = QString::fromUtf8(result.Out);
    EXPECT_TRUE(table.contains(QRegularExpression("\nMain +2,160 +24\\.98 % +4,208 +-\n")))
        << table.toStdString();
    EXPECT_TRUE(table.contains(QRegularExpression("\n  TFormMain +2,148 +24\\.84 %\n")));
    EXPECT_TRUE(table.contains(QRegularExpression("\n  TList<System\\.Integer> +116 +1\\.34 %\n")))
        << table.toStdString();
    for (const QString &line : table.split(u'\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    // --wide: a name wider than its column takes a line of its own; its figures stay in their columns.
    const QString wide = QString::fromUtf8(RunCli({"report", Sample, "--symbols", "--wide"}).Out);
    EXPECT_TRUE(wide.contains(QRegularExpression("\n  TList<System\\.Integer>\n {32}116 +1\\.34 %\n")))
        << wide.toStdString();
    EXPECT_TRUE(table.contains(QRegularExpression("\nTotal \\(11 units\\) +8,648 +100\\.00 % +4,932\n")));
}

TEST(CliReportTest, ExitCodesAndMessages)
{
    QTemporaryDir dir;
    QFile malformed(dir.filePath("Bad.map"));
    ASSERT_TRUE(malformed.open(QIODevice::WriteOnly));
    malformed.write(MalformedMap());
    malformed.close();
    QDir(dir.path()).mkpath("Folder.map");

    struct TCase
    {
        const char *Name;
        QStringList Arguments;
        int ExitCode;
        const char *Message;
    };
    const TCase cases[] = {
        {"help", {"--help"}, 0, ""},
        {"missing MAP file", {"report", dir.filePath("Gone.map")}, 2, "not available."},
        {"MAP path is a folder", {"report", dir.filePath("Folder.map")}, 2, "not available."},
        {"malformed code size",
         {"report", dir.filePath("Bad.map")},
         3,
         "'$0000ZZZZ' is not a valid integer value (MAP file line 8)"},
        {"no command", {}, 64, "missing command"},
        {"unknown option", {"report", Sample, "--fast"}, 64, "unknown option --fast"},
        {"unknown format", {"report", Sample, "--format", "xml"}, 64, "unknown format"},
        {"unknown grouping", {"report", Sample, "--group-by", "size"}, 64, "unknown grouping \"size\""},
        {"no MAP file", {"report", "--symbols"}, 64, "needs a MAP file"},
        {"option without value", {"report", Sample, "--output"}, 64, "needs a value"},
        {"full disk", {"report", Sample, "--format", "html", "--output", "/dev/full"}, 1, "cannot write"},
        {"unwritable output",
         {"report", Sample, "--output", dir.filePath("no/such/folder/out.txt")},
         1,
         "cannot write"},
    };
    for (const TCase &c : cases) {
        const TCliResult result = RunCli(c.Arguments);
        EXPECT_EQ(result.ExitCode, c.ExitCode) << c.Name;
        EXPECT_TRUE(result.Err.contains(QString::fromUtf8(c.Message)))
            << c.Name << ": " << result.Err.toStdString();
    }
    EXPECT_TRUE(RunCli({"--help"}).Out.contains("Exit codes:"));
    const TCliResult bad = RunCli({"report", dir.filePath("Bad.map")});
    EXPECT_TRUE(
        bad.Err.contains(QString("quillon-cli: warning: no project file Bad.dpr found above %1/; form "
                                 "sizes of relative paths may be wrong\n")
                             .arg(QFileInfo(dir.path()).absoluteFilePath())))
        << "the warning comes too, on one line: " << bad.Err.toStdString();
    EXPECT_TRUE(bad.Out.isEmpty());
}

TEST(CliReportTest, CsvOfEveryCorpusFile)
{
    QDirIterator it(QUILLON_CORPUS_DIR, {"*.map"}, QDir::Files, QDirIterator::Subdirectories);
    if (!it.hasNext())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    while (it.hasNext()) {
        const QString map = it.next();
        const TCliResult result =
            RunCli({"report", map, "--search-dir", QFileInfo(map).path(), "--format", "csv"});
        ASSERT_EQ(result.ExitCode, 0) << map.toStdString() << result.Err.toStdString();
        const QList<QByteArray> lines = result.Out.trimmed().split('\n');
        EXPECT_EQ(lines[0], "unit,code_size,percent,dfm_size,dcu_size,ratio");
        double percent = 0;
        qint64 previous = std::numeric_limits<qint64>::max();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> fields = lines[i].split(',');
            ASSERT_EQ(fields.size(), 6) << lines[i].toStdString();
            EXPECT_LE(fields[1].toLongLong(), previous);
            previous = fields[1].toLongLong();
            percent += fields[2].toDouble();
            EXPECT_EQ(fields[5] == "-", fields[4] == "0") << lines[i].toStdString();
        }
        EXPECT_NEAR(percent, 100.0, 0.005 * double(lines.size())) << map.toStdString();

        const TCliResult json = RunCli({"report", map, "--format", "json", "--symbols"});
        ASSERT_EQ(json.ExitCode, 0) << map.toStdString();
        QJsonParseError error;
        const QJsonArray units = QJsonDocument::fromJson(json.Out, &error).object()["units"].toArray();
        ASSERT_EQ(error.error, QJsonParseError::NoError)
            << map.toStdString() << error.errorString().toStdString();
        EXPECT_EQ(units.size(), lines.size() - 1) << map.toStdString();
        for (const QJsonValue unit : units) {
            qint64 sum = 0;
            for (const QJsonValue symbol : unit["symbols"].toArray())
                sum += symbol["size"].toInteger();
            if (unit["code_size"].toInteger() > 0) {
                EXPECT_EQ(sum, unit["code_size"].toInteger()) << unit["name"].toString().toStdString();
            }
        }
    }
}

TEST(CliReportTest, FilterGivesTheRowsTheWindowShows)
{
    struct TCase
    {
        const char *Why;
        QStringList Options;
        std::string Out;
    };
    const TCase cases[] = {
        {"units whose names match, one holding a matching row, and a total of theirs",
         {"--filter", "SYSTEM.", "--format", "table"},
         "Unit                  Compiled size         %   DFM size  Ratio DCU size\n"
         "----------------------------------------------------------------------\n"
         "System.Classes                1,120   12.95 %          -               -\n"
         "System.SysUtils               1,088   12.58 %          -               -\n"
         "Data.Helpers                    520    6.01 %          -               -\n"
         "System.Types                    156    1.80 %          -               -\n"
         "----------------------------------------------------------------------\n"
         "Total (4 units)               2,884   33.35 %          0\n"},
        {"a unit holding a matching symbol row",
         {"--filter", "updatestatus", "--format", "csv"},
         "unit,code_size,percent,dfm_size,dcu_size,ratio\nMain,2160,24.98,4208,0,-\n"},
        {"nothing matches",
         {"--filter", "zzz", "--format", "csv"},
         "unit,code_size,percent,dfm_size,dcu_size,ratio\n"},
        {"the trees pruned to the matches and the rows holding them",
         {"--filter", "updatestatus", "--format", "table", "--symbols"},
         "Unit                          Compiled size         %   DFM size  Ratio DCU size\n"
         "------------------------------------------------------------------------------\n"
         "Main                                  2,160   24.98 %      4,208               -\n"
         "  TFormMain                           2,148   24.84 %\n"
         "    UpdateStatus                        196    2.27 %\n"
         "------------------------------------------------------------------------------\n"
         "Total (1 units)                       2,160   24.98 %      4,208\n"},
    };
    for (const TCase &test : cases) {
        SCOPED_TRACE(test.Why);
        const TCliResult result = RunCli(QStringList{"report", Sample} + test.Options);
        EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
        EXPECT_EQ(result.Out.toStdString(), test.Out);
    }
}

TEST(CliReportTest, FilteredJsonKeepsEverythingBelowAMatchingRow)
{
    const TCliResult result =
        RunCli({"report", Sample, "--format", "json", "--symbols", "--filter", "worker"});
    ASSERT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    const QJsonArray units = QJsonDocument::fromJson(result.Out).object()["units"].toArray();
    ASSERT_EQ(units.size(), 1);
    const QJsonArray form = units[0]["symbols"].toArray();
    ASSERT_EQ(form.size(), 1);
    const QJsonArray worker = form[0]["children"].toArray();
    ASSERT_EQ(worker.size(), 1);
    EXPECT_EQ(worker[0]["name"].toString(), "TWorker");
    EXPECT_EQ(worker[0]["children"].toArray().size(), 2)
        << "Create and Execute, which do not match themselves";
}
