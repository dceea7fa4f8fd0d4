// The command line as GNU tools read it, and the scan's progress line on a terminal.

#include "CliRun.h"

#include "cli/CliOptions.h"
#include "cli/ProgressLine.h"

#include "QuillonVersion.h"

#include <QFile>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The options as one comparable text, so that a table can state them.
QString Described(const TCliOptions &o)
{
    static const char *const formats[] = {"table", "csv", "json"};
    return QStringLiteral("map=%1 dir=%2 format=%3 symbols=%4 out=%5 help=%6 version=%7")
        .arg(o.MapFile, o.SearchDir.value_or(QStringLiteral("-")),
             QString::fromLatin1(formats[int(o.Format)]))
        .arg(o.Symbols)
        .arg(o.OutputFile)
        .arg(o.Help)
        .arg(o.Version);
}

} // namespace

TEST(CliOptionsTest, ValuesAreTakenInEveryConventionalSpelling)
{
    const struct
    {
        QStringList Arguments;
        const char *Expected;
    } cases[] = {
        {{"report", "A.map"}, "map=A.map dir=- format=table symbols=0 out= help=0 version=0"},
        {{"report", "A.map", "--format", "csv", "--search-dir", "d"},
         "map=A.map dir=d format=csv symbols=0 out= help=0 version=0"},
        {{"report", "--format=json", "--search-dir=d", "A.map", "--symbols"},
         "map=A.map dir=d format=json symbols=1 out= help=0 version=0"},
        {{"report", "A.map", "-o", "out.txt"},
         "map=A.map dir=- format=table symbols=0 out=out.txt help=0 version=0"},
        {{"report", "A.map", "-oout.txt"},
         "map=A.map dir=- format=table symbols=0 out=out.txt help=0 version=0"},
        {{"report", "A.map", "--output=a=b.txt"},
         "map=A.map dir=- format=table symbols=0 out=a=b.txt help=0 version=0"},
        {{"report", "--", "-odd.map"}, "map=-odd.map dir=- format=table symbols=0 out= help=0 version=0"},
        {{"report", "--search-dir", "-d", "A.map"},
         "map=A.map dir=-d format=table symbols=0 out= help=0 version=0"},
        {{"-h"}, "map= dir=- format=table symbols=0 out= help=1 version=0"},
        {{"--help"}, "map= dir=- format=table symbols=0 out= help=1 version=0"},
        {{"help"}, "map= dir=- format=table symbols=0 out= help=1 version=0"},
        {{"report", "-h"}, "map= dir=- format=table symbols=0 out= help=1 version=0"},
        {{"--version"}, "map= dir=- format=table symbols=0 out= help=0 version=1"},
        {{"report", "--version"}, "map= dir=- format=table symbols=0 out= help=0 version=1"},
    };
    for (const auto &c : cases) {
        QString error;
        const std::optional<TCliOptions> options = TCliOptions::Parse(c.Arguments, error);
        ASSERT_TRUE(options) << c.Arguments.join(' ').toStdString() << ": " << error.toStdString();
        EXPECT_EQ(Described(*options), QString::fromLatin1(c.Expected))
            << c.Arguments.join(' ').toStdString();
    }
}

TEST(CliOptionsTest, UsageErrorsSayWhatIsWrong)
{
    const struct
    {
        QStringList Arguments;
        const char *Error;
    } cases[] = {
        {{}, "missing command (try --help)"},
        {{"--symbols"}, "unknown option --symbols (try --help)"},
        {{"reprot", "A.map"}, "unknown command \"reprot\" (try --help)"},
        {{"report"}, "report needs a MAP file (try report --help)"},
        {{"report", "A.map", "B.map"}, "unexpected argument \"B.map\": report reads one MAP file"},
        {{"report", "A.map", "--fast"}, "unknown option --fast (try --help)"},
        {{"report", "A.map", "-x"}, "unknown option -x (try --help)"},
        {{"report", "A.map", "--format"}, "option --format needs a value"},
        {{"report", "A.map", "-o"}, "option -o needs a value"},
        {{"report", "A.map", "--output="}, "option --output: empty file name"},
        {{"report", "A.map", "--format=xml"},
         "option --format: unknown format \"xml\": use table, csv, json or html"},
        {{"report", "A.map", "--symbols=yes"}, "option --symbols takes no value"},
        {{"report", "A.map", "--symbols", "--format", "csv"},
         "--symbols cannot be used with --format csv: csv has no trees (use table, json or html)"},
    };
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(TCliOptions::Parse(c.Arguments, error)) << c.Arguments.join(' ').toStdString();
        EXPECT_EQ(error, QString::fromLatin1(c.Error)) << c.Arguments.join(' ').toStdString();
    }
}

TEST(CliOptionsTest, VersionHelpAndUsageErrorsThroughTheProgram)
{
    const TCliResult version = RunCli({"--version"});
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out, QStringLiteral("quillon-cli %1.%2.%3\n")
                               .arg(QUILLON_VERSION_MAJOR)
                               .arg(QUILLON_VERSION_MINOR)
                               .arg(QUILLON_VERSION_PATCH)
                               .toUtf8());
    const TCliResult help = RunCli({"-h"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Out.contains("-o, --output FILE"));
    EXPECT_TRUE(help.Out.contains("Getting a detailed MAP file from Delphi:"));
    EXPECT_TRUE(help.Out.contains("Map file: choose \"Detailed\""));

    const TCliResult trees = RunCli({"report", SampleMapFile, "--symbols", "--format=csv"});
    EXPECT_EQ(trees.ExitCode, 64);
    EXPECT_TRUE(trees.Err.contains("csv has no trees")) << trees.Err.toStdString();
    EXPECT_TRUE(trees.Out.isEmpty());

    const TCliResult equals =
        RunCli({"report", SampleMapFile, "--format=csv", "--search-dir=" + SampleFolder});
    EXPECT_EQ(equals.ExitCode, 0) << equals.Err.toStdString();
    EXPECT_TRUE(equals.Out.contains("\nMain,2160,24.98,4208,9412,4.4\n"));
}

namespace {

// A stream into a temporary file, read back as text (memory streams are not on every system).
class TCapturedStream
{
public:
    TCapturedStream()
    {
        if (FFile.open())
            FStream = std::fopen(QFile::encodeName(FFile.fileName()).constData(), "w+b");
    }
    ~TCapturedStream()
    {
        if (FStream)
            std::fclose(FStream);
    }
    std::FILE *Stream() const { return FStream; }
    QByteArray Text() const
    {
        std::fflush(FStream);
        std::fseek(FStream, 0, SEEK_END);
        QByteArray text(std::ftell(FStream), Qt::Uninitialized);
        std::rewind(FStream);
        text.truncate(qsizetype(std::fread(text.data(), 1, size_t(text.size()), FStream)));
        std::fseek(FStream, 0, SEEK_END);
        return text;
    }

private:
    QTemporaryFile FFile;
    std::FILE *FStream = nullptr;
};

} // namespace

TEST(ProgressLineTest, RedrawsAtMostTenTimesASecondAndLeavesNothingBehind)
{
    TCapturedStream stream;
    qint64 now = 0;
    {
        TProgressLine line(stream.Stream(), true, [&now] { return now; });
        for (int folder = 1; folder <= 100; ++folder, now += 10)
            line.Show({folder, folder / 10});
        EXPECT_EQ(stream.Text().count("\r\033[K"), 10) << "one drawing per 100 ms over one second";
        EXPECT_TRUE(stream.Text().startsWith("\r\033[Kscanning: 1 folders, 0 .dcu files"));
        EXPECT_TRUE(stream.Text().endsWith("\r\033[Kscanning: 91 folders, 9 .dcu files"));
        line.Erase();
        EXPECT_TRUE(stream.Text().endsWith("scanning: 91 folders, 9 .dcu files\r\033[K"));
    }
    EXPECT_EQ(stream.Text().count("\r\033[K"), 11) << "erased once";

    TCapturedStream pipe;
    {
        TProgressLine line(pipe.Stream(), false, [&now] { return now; });
        line.Show({1, 1});
    }
    EXPECT_TRUE(pipe.Text().isEmpty()) << "nothing when standard error is no terminal";
}
