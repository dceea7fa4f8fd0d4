#include "base/UVersionInfo.h"

#include "QuillonVersion.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

bool IsRunningProgram(const QString &fileName)
{
    if (fileName.isEmpty() || QCoreApplication::instance() == nullptr)
        return false;
    const QFileInfo file(fileName);
    const QFileInfo program(QCoreApplication::applicationFilePath());
    return file.exists() && file.canonicalFilePath() == program.canonicalFilePath();
}

// The program's full path: a relative first command-line element would stop naming the program once a
// run changes the current folder.
QString RunningProgramFile()
{
    return QCoreApplication::applicationFilePath();
}

QString &CachedFullVersion()
{
    static QString cache = QStringLiteral("?");
    return cache;
}

} // namespace

bool GetFileVersionNumbers(const QString &fileName, TFileVersionNumbers &numbers)
{
    numbers = TFileVersionNumbers();
    if (!IsRunningProgram(fileName))
        return false;
    numbers.Major = QUILLON_VERSION_MAJOR;
    numbers.Minor = QUILLON_VERSION_MINOR;
    numbers.Release = QUILLON_VERSION_PATCH;
    numbers.Build = QUILLON_VERSION_BUILD;
    return true;
}

QString FileVersionString(const QString &fileName, bool full)
{
    TFileVersionNumbers numbers;
    if (!GetFileVersionNumbers(fileName, numbers))
        return QStringLiteral("?.?.???");
    if (full)
        return QStringLiteral("%1.%2.%3.%4")
            .arg(numbers.Major)
            .arg(numbers.Minor)
            .arg(numbers.Release)
            .arg(numbers.Build);
    return QStringLiteral("%1.%2").arg(numbers.Major).arg(numbers.Minor);
}

QString ApplicationVersion()
{
    return FileVersionString(RunningProgramFile(), false);
}

QString ApplicationFullVersion()
{
    QString &cache = CachedFullVersion();
    if (cache == QLatin1String("?"))
        cache = FileVersionString(RunningProgramFile(), true);
    return cache;
}
