// A home folder where nothing can be written: no settings, no log, and the program still runs.
#include "AppTestSupport.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

TEST(UnwritableHome, TheProgramRunsWithoutSettingsOrLog)
{
    const QString program = QStringLiteral(QUILLON_BINARY_DIR "/src/app/quillon");
    if (!QFileInfo(program).isExecutable())
        GTEST_SKIP() << "the quillon program is not built";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Below a file nothing can be created, whoever runs the test (the superuser included).
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"})
        environment.insert(QString::fromLatin1(name), QStringLiteral("/dev/null/") + QString::fromLatin1(name));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(environment);
    const QString sample = SourceDir() + QStringLiteral("/examples/sample/");
    process.start(program, {sample + QStringLiteral("SampleApp.map"), QStringLiteral("--search-dir"), sample,
                            QStringLiteral("--go")});
    ASSERT_TRUE(process.waitForStarted());
    // Started, analysed and still running: neither the settings nor the log stopped it.
    EXPECT_FALSE(process.waitForFinished(3000)) << process.readAllStandardError().toStdString();
    process.kill();
    process.waitForFinished(5000);
}
