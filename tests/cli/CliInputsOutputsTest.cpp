// quillon-cli as a build pipeline meets it: outputs that name an input, MAP files cut short, MAP
// files of any name, standard input and pipes. None may cost the user a file or pass a broken build.

#include "CliRun.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TCliResult RunCliWithInput(const QStringList &arguments, const QByteArray &input, const QString &folder = {})
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(QUILLON_CLI_PATH, arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

#ifndef Q_OS_WIN
// A shell command line, for what only a shell gives: process substitution.
TCliResult RunShell(const QString &command, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start("bash", {"-c", command});
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}
#endif

class CliInputsOutputsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Sample = ReadAll(SampleMapFile);
        Map = Write("App.map", Sample);
    }
    QString Path(const QString &relative) const { return Dir.filePath(relative); }
    QString Write(const QString &relative, const QByteArray &bytes) const
    {
        WriteTestFile(Path(relative), bytes);
        return Path(relative);
    }

    QTemporaryDir Dir;
    QByteArray Sample;
    QString Map;
};

} // namespace

TEST_F(CliInputsOutputsTest, AnOutputThatIsAnInputIsRefusedAndTheInputKept)
{
    QDir(Dir.path()).mkdir("sub");
    // A symbolic link, not a Windows shortcut: writing over a shortcut would not touch its target.
    // Windows grants symbolic links only to some accounts; where it refuses, the link cases go.
    std::error_code linkError;
    std::filesystem::create_symlink(Map.toStdWString(), Path("link.map").toStdWString(), linkError);
#ifndef Q_OS_WIN
    ASSERT_FALSE(linkError) << linkError.message();
#endif
    std::filesystem::create_hard_link(Map.toStdWString(), Path("hard.map").toStdWString());
    Write("App.exe", "MZ");
    const QString other = Write("Old.map", Sample);
    const QString project = Write("App.dpr", "program App;\r\nbegin\r\nend.\r\n");
    const QString named = Write("Named.exe", "MZ");
    // The file named as the one refused, where the case tells it.
    struct TCase
    {
        QStringList Arguments;
        const char *Refused = nullptr;
    };
    const TCase cases[] = {
        {{"report", "App.map", "-o", "App.map"}, "App.map"},
        {{"report", "App.map", "-o", "./App.map"}},
        {{"report", "App.map", "--output=sub/../App.map"}},
        {{"report", "App.map", "-o", "link.map"}},
        {{"report", "App.map", "-o", "hard.map"}},
        {{"report", "App.map", "--format", "json", "-o", Map}},
        {{"report", "App.exe", "-o", "App.map"}},
        {{"report", "link.map", "-o", "App.map"}},
        {{"diff", "Old.map", "App.map", "-o", "Old.map"}},
        {{"diff", "Old.map", "App.map", "-o", "hard.map"}},
        {{"check", "App.map", "--max-total", "1M", "-o", "App.map"}},
        {{"report", "App.map", "-o", "App.exe"}, "App.exe"},
        // why and graph refuse before the MAP is read (the unit's absence would be found first)
        // and name what they refuse: the MAP, its project, the executable beside it or named.
        {{"why", "App.map", "NoSuchUnit", "-o", "App.map"}, "App.map"},
        {{"why", "App.map", "NoSuchUnit", "-o", "link.map"}, "App.map"},
        {{"why", "App.map", "NoSuchUnit", "-o", "App.dpr"}, "App.dpr"},
        {{"why", "App.map", "NoSuchUnit", "--exe", "Named.exe", "-o", "Named.exe"}, "Named.exe"},
        {{"graph", "App.map", "-o", "hard.map"}, "App.map"},
        {{"graph", "App.map", "--format", "dot", "-o", "App.exe"}, "App.exe"},
        {{"graph", "App.map", "-o", "App.dpr"}, "App.dpr"},
    };
    for (const TCase &c : cases) {
        if (linkError && c.Arguments.contains("link.map"))
            continue;
        const TCliResult result = RunCli(c.Arguments, Dir.path());
        const std::string why = c.Arguments.join(' ').toStdString();
        EXPECT_EQ(result.ExitCode, 64) << why;
        EXPECT_TRUE(result.Err.contains("which this run reads: refusing to overwrite it"))
            << why << ": " << result.Err.toStdString();
        if (c.Refused) {
            EXPECT_TRUE(result.Err.contains(QString::fromUtf8(c.Refused) + "\", which this run reads"))
                << why << ": " << result.Err.toStdString();
        }
        EXPECT_TRUE(result.Out.isEmpty()) << why;
        EXPECT_EQ(ReadAll(Map), Sample) << why;
        EXPECT_EQ(ReadAll(other), Sample) << why;
        EXPECT_EQ(ReadAll(Path("App.exe")), "MZ") << why;
        EXPECT_EQ(ReadAll(named), "MZ") << why;
        EXPECT_EQ(ReadAll(project), "program App;\r\nbegin\r\nend.\r\n") << why;
    }
    // The project file is read too.
    EXPECT_EQ(RunCli({"report", "App.map", "-o", "App.dpr"}, Dir.path()).ExitCode, 64);
    EXPECT_EQ(ReadAll(project), "program App;\r\nbegin\r\nend.\r\n");
}

TEST_F(CliInputsOutputsTest, AnOutputIsReplacedOnlyWhenTheRunSucceeds)
{
    const QString output = Write("report.csv", "the last good report\n");
    const QString cut = Write("Cut.map", Sample.left(2048));
    EXPECT_EQ(RunCli({"report", cut, "--strict", "-o", output}).ExitCode, 3);
    EXPECT_EQ(RunCli({"report", Write("Bad.map", "not a map\n"), "-o", output}).ExitCode, 3);
    EXPECT_EQ(ReadAll(output), "the last good report\n");
    EXPECT_EQ(QDir(Dir.path()).entryList({"report.csv*"}, QDir::Files), QStringList{"report.csv"})
        << "no temporary file left beside it";

    EXPECT_EQ(RunCli({"report", Map, "--format", "csv", "-o", output}).ExitCode, 0);
    EXPECT_TRUE(ReadAll(output).startsWith("unit,code_size,"));
}

TEST_F(CliInputsOutputsTest, AMapFileCutShortWarnsAndFailsEveryBudget)
{
    // The head of the file, as a half-copied artifact holds it (the sample's units end before 2 KB),
    // and a copy without its end.
    qsizetype sixthUnit = 0;
    for (int unit = 0; unit < 6; ++unit)
        sixthUnit = Sample.indexOf("S=.text", sixthUnit + 1);
    const QString head = Write("Head.map", Sample.left(sixthUnit));
    const QString noEnd = Write("NoEnd.map", Sample.left(Sample.lastIndexOf("Program entry point")));
    for (const QString &cut : {head, noEnd}) {
        const TCliResult report = RunCli({"report", cut, "--format", "csv"});
        EXPECT_EQ(report.ExitCode, 0) << "a report of what there is, with a warning";
        EXPECT_TRUE(
            report.Err.contains("looks incomplete: it does not end with its \"Program entry point at\" "
                                "line"))
            << report.Err.toStdString();
        EXPECT_FALSE(report.Out.isEmpty());

        const TCliResult strict = RunCli({"report", cut, "--strict"});
        EXPECT_EQ(strict.ExitCode, 3);
        EXPECT_TRUE(strict.Out.isEmpty());

        const TCliResult check = RunCli({"check", cut, "--max-total", "4.8M"});
        EXPECT_EQ(check.ExitCode, 3) << "a budget never passes on a broken MAP file";
        EXPECT_TRUE(check.Err.contains("looks incomplete")) << check.Err.toStdString();
        EXPECT_EQ(RunCli({"check", Map, "--baseline", cut, "--max-growth", "1%"}).ExitCode, 3);
        EXPECT_EQ(RunCli({"diff", Map, cut}).ExitCode, 3);
        EXPECT_EQ(RunCli({"diff", cut, Map, "--format", "json"}).ExitCode, 3);
    }
    EXPECT_TRUE(RunCli({"report", head}).Err.contains("its units' code adds up to"))
        << "the units cut off fall short of the code segment";
    EXPECT_EQ(RunCli({"check", Map, "--max-total", "4.8M"}).ExitCode, 0);
}

TEST_F(CliInputsOutputsTest, AMapFileIsReadWhateverItsName)
{
    // An unrelated MAP file lies where the old search looked.
    const QString baseline = Write("baseline.txt", Sample);
    QByteArray unrelated = Sample;
    unrelated.replace("M=Main ", "M=Other");
    Write("baseline.map", unrelated);
    const TCliResult report = RunCli({"report", baseline, "--format", "csv"});
    EXPECT_EQ(report.ExitCode, 0) << report.Err.toStdString();
    EXPECT_TRUE(report.Out.contains("\nMain,2160,")) << report.Out.toStdString();
    EXPECT_FALSE(report.Err.contains("using MAP file")) << report.Err.toStdString();
    EXPECT_EQ(RunCli({"diff", baseline, Map, "--format", "csv"}).ExitCode, 0);

    // A project or an executable still has its MAP file looked for.
    Write("Tool.exe", "MZ");
    Write("Win32/Release/Tool.map", Sample);
    const TCliResult exe = RunCli({"report", Path("Tool.exe"), "--format", "csv"});
    EXPECT_EQ(exe.ExitCode, 0) << exe.Err.toStdString();
    EXPECT_TRUE(exe.Err.contains("using MAP file")) << exe.Err.toStdString();
    for (const char *name : {"Pkg.dpk", "Lib.DLL", "Pkg.bpl"})
        EXPECT_EQ(RunCli({"report", Path(name)}).ExitCode, 2) << name << ": no MAP file beside it";
}

TEST_F(CliInputsOutputsTest, APackageFindsItsDpk)
{
    Write("src/Pkg.dpk", "package Pkg;\r\ncontains\r\n  Main in 'Main.pas';\r\nend.\r\n");
    const QString map = Write("src/Win32/Release/Pkg.map", Sample);
    const TCliResult result = RunCli({"report", map, "--format", "csv"});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_FALSE(result.Err.contains("no project file")) << result.Err.toStdString();
}

TEST_F(CliInputsOutputsTest, StandardInputPipesAndStandardOutput)
{
    const QByteArray expected = RunCli({"report", Map, "--format", "csv"}).Out;
    ASSERT_FALSE(expected.isEmpty());
    const TCliResult dash = RunCliWithInput({"report", "-", "--format", "csv"}, Sample, Dir.path());
    EXPECT_EQ(dash.ExitCode, 0) << dash.Err.toStdString();
    EXPECT_EQ(dash.Out, expected);
    EXPECT_FALSE(dash.Err.contains("no project file")) << "a stream has no folder to search";
#ifndef Q_OS_WIN // /dev/stdin and process substitution are POSIX's
    const TCliResult devStdin = RunCliWithInput({"report", "/dev/stdin", "--format", "csv"}, Sample);
    EXPECT_EQ(devStdin.ExitCode, 0) << devStdin.Err.toStdString();
    EXPECT_EQ(devStdin.Out, expected);

    // Process substitution, as CI compares with the main branch's build.
    const QString cli = QStringLiteral(QUILLON_CLI_PATH);
    const TCliResult substituted =
        RunShell(u"'%1' diff <(cat App.map) App.map --format csv && "
                 u"'%1' check App.map --baseline <(cat App.map) --max-growth 0"_qs.arg(cli),
                 Dir.path());
    EXPECT_EQ(substituted.ExitCode, 0) << substituted.Err.toStdString();
    EXPECT_TRUE(substituted.Out.contains("Main,2160,2160,0,unchanged")) << substituted.Out.toStdString();
#endif

    // "-o -" is standard output, not a file named "-".
    const TCliResult toStdout = RunCli({"report", Map, "--format", "csv", "-o", "-"}, Dir.path());
    EXPECT_EQ(toStdout.Out, expected);
    EXPECT_FALSE(QFileInfo::exists(Path("-")));
    const TCliResult eitherSide = RunCliWithInput({"diff", Map, "-", "--format", "csv"}, Sample);
    EXPECT_EQ(eitherSide.ExitCode, 0) << eitherSide.Err.toStdString();
    const TCliResult checkInput = RunCliWithInput({"check", "-", "--max-total", "9K"}, Sample);
    EXPECT_EQ(checkInput.ExitCode, 0) << checkInput.Err.toStdString();

    EXPECT_EQ(RunCli({"diff", "-", "-"}).ExitCode, 64) << "one standard input for two files";
    const TCliResult empty = RunCliWithInput({"report", "-"}, QByteArray());
    EXPECT_EQ(empty.ExitCode, 3) << "nothing on standard input is no MAP file";
}
