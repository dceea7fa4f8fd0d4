// Everyday mistakes given to quillon-cli: none of them may end as a green step with an empty or
// wrong report.

#include "CliRun.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

QByteArray SampleText()
{
    QFile file(SampleMapFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CliWrongInputsTest : public ::testing::Test
{
protected:
    QString Path(const QString &relative) const { return FDir.filePath(relative); }
    QString Write(const QString &relative, const QByteArray &bytes) const
    {
        WriteTestFile(Path(relative), bytes);
        return Path(relative);
    }

    QTemporaryDir FDir;
};

} // namespace

TEST_F(CliWrongInputsTest, AFileThatIsNoDetailedMapFileFailsWithHowToGetOne)
{
    for (const TNotDetailedMapFile &c : NotDetailedMapFiles()) {
        const QString map = Write(QStringLiteral("%1.map").arg(c.Name), c.Text);
        for (const char *format : {"table", "csv", "json"}) {
            const TCliResult result = RunCli({"report", map, "--format", format});
            EXPECT_EQ(result.ExitCode, 3) << c.Name << ' ' << format;
            EXPECT_TRUE(result.Out.isEmpty()) << c.Name << ' ' << format;
            EXPECT_TRUE(
                result.Err.contains("lists no code units: a detailed MAP file is needed. In Delphi set "
                                    "Project Options > Linking > Map file to \"Detailed\""))
                << c.Name << ": " << result.Err.toStdString();
        }
    }

    // A detailed MAP file whose units hold no code is a report, not an error.
    QByteArray empty = SampleText();
    ASSERT_FALSE(empty.isEmpty());
    const qsizetype at = empty.indexOf(" 0001:00000000 ");
    ASSERT_GT(at, 0);
    empty =
        empty.left(at) + " 0001:00000000 00000000 C=CODE     S=.text    G=(none)   M=Empty    ACBP=A9\r\n";
    const TCliResult result = RunCli({"report", Write("Empty.map", empty)});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_TRUE(result.Out.contains("Total (1 units)")) << result.Out.toStdString();
}

TEST_F(CliWrongInputsTest, AProjectOrExecutableNamedFindsItsMapFileInTheOutputFolders)
{
    const QByteArray sample = SampleText();
    Write("P/App.dpr", "program App;\r\n");
    const QString release = Write("P/Win32/Release/App.map", sample);
    TCliResult result = RunCli({"report", Path("P/App.dpr"), "--format", "csv"});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_TRUE(result.Err.startsWith("quillon-cli: using MAP file " + release + '\n'))
        << result.Err.toStdString();
    EXPECT_TRUE(result.Out.contains("\nMain,2160,"));

    // Win32/Debug comes before Win32/Release, and beside the file before both; the output folder
    // names match in any letter case. An executable that is not there is fine: its name is enough.
    const QString debug = Write("P/Win32/debug/App.map", sample);
    result = RunCli({"report", Path("P/App.exe")});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
#ifdef Q_OS_WIN
    // The file system ignores letter case there: the folder is named as it was looked for.
    constexpr Qt::CaseSensitivity FolderCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity FolderCase = Qt::CaseSensitive;
#endif
    EXPECT_TRUE(result.Err.startsWith("quillon-cli: using MAP file " + debug + '\n', FolderCase))
        << result.Err.toStdString();
    const QString beside = Write("P/App.map", sample);
    result = RunCli({"report", "App.dpr"}, Path("P"));
    EXPECT_TRUE(result.Err.startsWith("quillon-cli: using MAP file " + beside + '\n'))
        << result.Err.toStdString();

    // None there: the places looked at, in order.
    Write("Q/Tool.dpr", "program Tool;\r\n");
    result = RunCli({"report", Path("Q/Tool.dpr")});
    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_TRUE(result.Out.isEmpty());
    const QString q = Path("Q/");
    EXPECT_EQ(result.Err, "quillon-cli: no MAP file found for \"" + Path("Q/Tool.dpr") +
                              "\"; looked at:\n  " + q + "Tool.map\n  " + q + "Win32/Debug/Tool.map\n  " + q +
                              "Win32/Release/Tool.map\n  " + q + "Win64/Debug/Tool.map\n  " + q +
                              "Win64/Release/Tool.map\n");
}

TEST_F(CliWrongInputsTest, ASearchFolderThatIsNoFolderStopsTheRun)
{
    const QString file = Write("file.txt", "x");
    const struct
    {
        QString Folder;
        QString Message;
    } cases[] = {
        {Path("gone"), "quillon-cli: Search folder \"" + Path("gone") + "\" does not exist.\n"},
        {file, "quillon-cli: Search folder \"" + file + "\" is not a folder.\n"},
        {"gone", "quillon-cli: Search folder \"" + Path("gone") + "\" does not exist.\n"},
    };
    for (const auto &c : cases) {
        const TCliResult result = RunCli({"report", SampleMapFile, "--search-dir", c.Folder}, FDir.path());
        EXPECT_EQ(result.ExitCode, 2) << c.Folder.toStdString();
        EXPECT_EQ(result.Err, c.Message);
        EXPECT_TRUE(result.Out.isEmpty());
    }
}

TEST_F(CliWrongInputsTest, SeveralCompiledUnitFilesOfOneUnitAreWarnedOfOnce)
{
    for (const char *build : {"Win32/Debug", "Win32/Release"}) {
        Write(QStringLiteral("%1/Main.dcu").arg(build), QByteArray(9412, 'x'));
        Write(QStringLiteral("%1/About.dcu").arg(build), QByteArray(3180, 'x'));
    }
    const TCliResult result =
        RunCli({"report", SampleMapFile, "--search-dir", FDir.path(), "--format", "csv"});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Err,
              "quillon-cli: warning: 2 units have more than one .dcu file below the search folder "
              "(About, Main); one of each is used. Narrow the search folder to one build's output.\n");
    EXPECT_TRUE(result.Out.contains("\nMain,2160,24.98,4208,9412,4.4\n"));
}

// Pseudo terminals are POSIX ones.
#ifndef Q_OS_WIN
namespace {

// Runs the program with standard error on a pseudo terminal and standard output discarded.
QByteArray StandardErrorOnATerminal(const QStringList &arguments)
{
    std::vector<QByteArray> texts{QByteArray(QUILLON_CLI_PATH)};
    for (const QString &argument : arguments)
        texts.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    QByteArray output;
    if (child < 0)
        return output;
    char buffer[4096];
    for (;;) {
        pollfd ready{terminal, POLLIN, 0};
        if (poll(&ready, 1, 60000) <= 0)
            break;
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0)
            break; // EIO once the child has gone
        output.append(buffer, got);
    }
    close(terminal);
    waitpid(child, nullptr, 0);
    return output;
}

} // namespace

TEST_F(CliWrongInputsTest, TheScanShowsItsProgressOnATerminalOnly)
{
    for (int i = 0; i < 50; ++i)
        Write(QStringLiteral("tree/d%1/U%1.dcu").arg(i), "x");
    const QByteArray terminal =
        StandardErrorOnATerminal({"report", SampleMapFile, "--search-dir", Path("tree")});
    EXPECT_TRUE(terminal.contains("\r\033[Kscanning: ")) << terminal.toStdString();
    EXPECT_TRUE(terminal.contains(" folders, ")) << terminal.toStdString();
    EXPECT_TRUE(terminal.endsWith("\r\033[K")) << "erased at the end: " << terminal.toStdString();

    const TCliResult piped = RunCli({"report", SampleMapFile, "--search-dir", Path("tree")});
    EXPECT_EQ(piped.ExitCode, 0);
    EXPECT_TRUE(piped.Err.isEmpty()) << piped.Err.toStdString();
}
#endif
