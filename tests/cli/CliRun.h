#pragma once
// quillon-cli run as a separate program, as scripts run it.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

struct TCliResult
{
    int ExitCode = -1;
    QByteArray Out;
    QString Err;
};

inline TCliResult RunCli(const QStringList &arguments, const QString &folder = QString())
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(QUILLON_CLI_PATH, arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

inline const QString SampleMapFile = QStringLiteral(QUILLON_SOURCE_DIR "/examples/sample/SampleApp.map");
inline const QString SampleFolder = QStringLiteral(QUILLON_SOURCE_DIR "/examples/sample");
