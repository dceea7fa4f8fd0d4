#include "app/UCrashLogging.h"
#include "app/UCrashTools.h"
#include "base/Exception.h"
#include "base/UCharsetConvert.h"
#include "base/UVersionInfo.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CrashLoggingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FFolder.isValid());
        SetLogFileName(FFolder.filePath(QStringLiteral("error.log")));
    }
    void TearDown() override { ClearLogTargets(); }

    QString LogText() const
    {
        return QString::fromLatin1(ReadAll(FFolder.filePath(QStringLiteral("error.log"))));
    }

    QTemporaryDir FFolder;
};

TEST_F(CrashLoggingTest, LineHoldsTimeExecutableCategoryTextAndData)
{
    LogToFile(QStringLiteral("EXC"), QStringLiteral("EConvertError"), QStringLiteral("bad value"));
    LogToFile(QStringLiteral("MSG"), QStringLiteral("no data"), QString());

    const QString executable = QRegularExpression::escape(QCoreApplication::applicationFilePath());
    const QRegularExpression expected(QStringLiteral("^\\d\\d/\\d\\d/\\d\\d - \\d\\d:\\d\\d:\\d\\d - ") +
                                      executable + QStringLiteral(" - EXC - EConvertError - bad value\r\n") +
                                      QStringLiteral("\\d\\d/\\d\\d/\\d\\d - \\d\\d:\\d\\d:\\d\\d - ") +
                                      executable + QStringLiteral(" - MSG - no data\r\n$"));
    EXPECT_TRUE(expected.match(LogText()).hasMatch()) << LogText().toStdString();
}

TEST_F(CrashLoggingTest, LineIsWrittenInTheAnsiCodePage)
{
    const int previous = AnsiCodePage();
    SetAnsiCodePage(1252);
    LogToFile(QStringLiteral("ERR"), QStringLiteral("Détectée €"), QString());
    SetAnsiCodePage(previous);

    EXPECT_TRUE(ReadAll(FFolder.filePath(QStringLiteral("error.log")))
                    .endsWith("D\xE9tect\xE9"
                              "e \x80\r\n"));
}

TEST_F(CrashLoggingTest, AnUnwritableLogLosesTheLineSilently)
{
    SetLogFileName(FFolder.filePath(QStringLiteral("missing/folder/error.log")));
    EXPECT_NO_THROW(LogToFile(QStringLiteral("MSG"), QStringLiteral("lost"), QString()));
    EXPECT_FALSE(QFile::exists(FFolder.filePath(QStringLiteral("missing"))));
}

TEST_F(CrashLoggingTest, RequestsReachEveryTargetInOrder)
{
    QStringList calls;
    RegisterLogProcedure([&calls](const QString &c, const QString &t, const QString &d) {
        calls << QStringLiteral("1:") + c + t + d;
    });
    RegisterLogProcedure([&calls](const QString &c, const QString &t, const QString &d) {
        calls << QStringLiteral("2:") + c + t + d;
    });

    LogMessage(QStringLiteral("m"), QStringLiteral("d"));
    LogException(std::make_exception_ptr(EConvertError(QStringLiteral("msg"))), QStringLiteral("extra"));

    EXPECT_EQ(calls, QStringList({"1:MSGmd", "2:MSGmd", "1:EXCEConvertErrormsg\r\nextra",
                                  "2:EXCEConvertErrormsg\r\nextra"}));
}

TEST(ErrorLogFolderTest, ChoosesTheConfiguredFolderOrTheFirstWritableFallback)
{
    QTemporaryDir first, second;
    const QString missing = first.filePath(QStringLiteral("missing"));
    const QString refused = QStringLiteral("Incorrect HKLM\\Software\\Brackwell\\ErrorLogPath");
    struct TCase
    {
        QString Configured;
        QStringList Fallbacks;
        QString Folder;
        QString ErrorText;
    } cases[] = {
        {second.path(), {first.path()}, second.path() + u'/', {}},
        {second.path() + u'/', {first.path()}, second.path() + u'/', {}},
        {missing, {first.path()}, first.path() + u'/', refused},
        {{}, {first.path(), second.path()}, first.path() + u'/', {}},
        {{}, {missing, second.path()}, second.path() + u'/', {}},
    };
    for (const TCase &c : cases) {
        const TErrorLogFolder choice = ChooseErrorLogFolder(c.Configured, c.Fallbacks);
        EXPECT_EQ(choice.Folder, c.Folder) << c.Configured.toStdString();
        EXPECT_EQ(choice.ErrorText, c.ErrorText) << c.Configured.toStdString();
    }
}

TEST(ErrorLogFolderTest, WritableTestLeavesNoTraceAndKeepsAnExistingDummy)
{
    QTemporaryDir folder;
    EXPECT_TRUE(IsFolderWritable(folder.path()));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("dummy.log"))));

    QFile dummy(folder.filePath(QStringLiteral("dummy.log")));
    ASSERT_TRUE(dummy.open(QIODevice::WriteOnly));
    dummy.write("keep");
    dummy.close();
    EXPECT_TRUE(IsFolderWritable(folder.path()));
    EXPECT_EQ(ReadAll(dummy.fileName()), "keep");

    EXPECT_FALSE(IsFolderWritable(folder.filePath(QStringLiteral("missing"))));
#ifndef _WIN32 // a folder's mode bits do not stop writing on Windows
    if (getuid() != 0) {
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        dummy.remove();
        EXPECT_FALSE(IsFolderWritable(folder.path()));
        QFile::setPermissions(folder.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
#endif
}

// The variable the system's temporary folder is taken from.
#ifdef Q_OS_WIN
constexpr char TempFolderVariable[] = "TMP";
#else
constexpr char TempFolderVariable[] = "TMPDIR";
#endif

// The start-up and shut-down lines go to the log the machine-wide setting names.
TEST(CrashToolsTest, StartAndNormalEndWriteTwoLines)
{
    QTemporaryDir settings, logFolder;
#ifdef Q_OS_WIN
    // The registry's machine-wide key, which no path redirects (under Wine, the script's own
    // prefix): written there and removed again.
    QSettings machine(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Brackwell"), QSettings::NativeFormat);
#else
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settings.path());
    QSettings machine(QSettings::SystemScope, QStringLiteral("Brackwell"));
#endif
    machine.setValue(QStringLiteral("ErrorLogPath"), logFolder.path());
    machine.sync();

    InitCrashTools();
    FinalizeCrashTools();
    ClearLogTargets();
#ifdef Q_OS_WIN
    machine.remove(QStringLiteral("ErrorLogPath"));
#else
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, QDir::tempPath());
#endif

    const QString executable = QCoreApplication::applicationFilePath();
    const QStringList lines = QString::fromLatin1(ReadAll(logFolder.filePath(QStringLiteral("error.log"))))
                                  .split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" - ") + executable +
                                  QStringLiteral(" - APP - Application Startup - ") + executable +
                                  QStringLiteral(" v") + ApplicationFullVersion()))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" - ") + executable +
                                  QStringLiteral(" - APP - Application Shutdown - ") + executable))
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[3], QString());
}

void CloseModalDialogSoon()
{
    QTimer::singleShot(50, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            dialog->close();
    });
}

TEST(CrashToolsTest, CrashReportIsWrittenAndTheProcessEndsWithFailure)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child process runs this test again from its start, so it makes its own folder below the
    // one it inherits through the environment.
    QTemporaryDir temp;
    const QByteArray previous = qgetenv(TempFolderVariable);
    qputenv(TempFolderVariable, temp.path().toLocal8Bit());
    EXPECT_EXIT(
        {
            CloseModalDialogSoon();
            CreateCrashReport(std::make_exception_ptr(EConvertError(QStringLiteral("fatal"))), true);
        },
        ::testing::ExitedWithCode(1), "");
    qputenv(TempFolderVariable, previous);
    QDirIterator reports(temp.path(), {QStringLiteral("report.xml")}, QDir::Files,
                         QDirIterator::Subdirectories);
    ASSERT_TRUE(reports.hasNext());
    EXPECT_TRUE(ReadAll(reports.next()).contains("<Message>fatal</Message>"));
}

TEST(CrashToolsTest, ReportWithoutEndingTheProcessReturnsAfterTheDialog)
{
    QTemporaryDir temp;
    const QByteArray previous = qgetenv(TempFolderVariable);
    qputenv(TempFolderVariable, temp.path().toLocal8Bit());
    CloseModalDialogSoon();
    CreateCrashReport(std::make_exception_ptr(EInOutError(QStringLiteral("kept"))), false);
    qputenv(TempFolderVariable, previous);
    EXPECT_TRUE(ReadAll(temp.filePath(QStringLiteral("report.xml"))).contains("<Class>EInOutError</Class>"));
}

} // namespace
