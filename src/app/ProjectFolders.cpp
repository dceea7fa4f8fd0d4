#include "app/ProjectFolders.h"

#include "base/UFileUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QVariantMap>

const QString TProjectFolders::DesignedSearchFolder = QStringLiteral("S:\\");

namespace {

QString FolderOf(const QString &file)
{
    return QFileInfo(file).absolutePath() + u'/';
}

QString Cleaned(const QString &path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

} // namespace

TProjectFolders::TProjectFolders(QString settingsName) : FSettingsName(std::move(settingsName)) {}

bool TProjectFolders::Holds(const QString &folder, const QString &file)
{
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        return false;
    const QString inside = Cleaned(QFileInfo(folder).absoluteFilePath());
    const QString path = Cleaned(QFileInfo(file).absoluteFilePath());
    return path.startsWith(inside.endsWith(u'/') ? inside : inside + u'/');
}

TProjectFolders::TOpening TProjectFolders::Open(const QString &mapFile, const QString &previousMapFile,
                                                const QString &searchFolder) const
{
    TOpening opening;
    const bool sameFolder = !previousMapFile.isEmpty() && FolderOf(previousMapFile) == FolderOf(mapFile);
    const bool held = Holds(searchFolder, mapFile);
    opening.OtherProject = !previousMapFile.isEmpty() && !sameFolder && !held;
    const QString remembered = Remembered(mapFile);
    if (!remembered.isEmpty())
        opening.SearchFolder = remembered;
    else if (held || (sameFolder && QFileInfo(searchFolder).isDir()))
        opening.SearchFolder = searchFolder;
    else
        opening.SearchFolder = QDir::toNativeSeparators(FolderOf(mapFile));
    return opening;
}

QString TProjectFolders::ForRun(const QString &mapFile, const QString &searchFolder)
{
    if (searchFolder != DesignedSearchFolder || QFileInfo(searchFolder).isDir())
        return searchFolder;
    return QDir::toNativeSeparators(FolderOf(mapFile));
}

void TProjectFolders::Remember(const QString &mapFile, const QString &searchFolder,
                               const QStringList &recentFiles)
{
    QSettings settings;
    const QVariantMap stored = settings.value(FSettingsName).toMap();
    QVariantMap kept;
    for (const QString &file : recentFiles)
        if (stored.contains(file))
            kept.insert(file, stored.value(file));
    kept.insert(mapFile, searchFolder);
    settings.setValue(FSettingsName, kept);
}

QString TProjectFolders::Remembered(const QString &mapFile) const
{
    // A folder since removed, or a hand-edited value that is no folder, is not offered.
    const QString folder = QSettings().value(FSettingsName).toMap().value(mapFile).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}
