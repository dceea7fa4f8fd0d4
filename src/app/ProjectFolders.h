#pragma once
// Which search folder belongs to the MAP file being opened. A recently analysed MAP file comes back
// with the folder it was analysed with; a MAP file of another project brings its own folder, so
// that the ratios never come from another project's compiled units; a MAP file that the current
// search folder holds stays with it. The folders of the recent files are kept in the settings
// beside the recent files' list.

#include <QString>
#include <QStringList>

class TProjectFolders
{
public:
    // The search folder the main window starts with, from a Windows drive.
    static const QString DesignedSearchFolder;

    // settingsName: the value that maps each recent MAP file to its search folder.
    explicit TProjectFolders(QString settingsName);

    struct TOpening
    {
        QString SearchFolder;
        // The MAP file belongs to another project than the one analysed before.
        bool OtherProject = false;
    };
    // Where the MAP file about to be opened is searched for compiled units, given the MAP file
    // analysed before (empty: none) and the search folder in the field.
    TOpening Open(const QString &mapFile, const QString &previousMapFile, const QString &searchFolder) const;
    // The folder a run scans: the field's, or the MAP file's folder where the field still holds the
    // designed folder and that does not exist here.
    static QString ForRun(const QString &mapFile, const QString &searchFolder);

    // After a successful run: the MAP file was analysed with that folder. Only the files in
    // recentFiles are kept.
    void Remember(const QString &mapFile, const QString &searchFolder, const QStringList &recentFiles);
    // The folder the MAP file was last analysed with; empty when none is known.
    QString Remembered(const QString &mapFile) const;

    // The folder holds the file, directly or below.
    static bool Holds(const QString &folder, const QString &file);

private:
    QString FSettingsName;
};
