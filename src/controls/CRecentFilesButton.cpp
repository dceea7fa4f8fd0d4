#include "controls/CRecentFilesButton.h"

#include <QDir>
#include <QMenu>
#include <QSettings>

TRecentFilesButton::TRecentFilesButton(const QString &settingsName, QWidget *parent)
    : QToolButton(parent), FSettingsName(settingsName)
{
    setArrowType(Qt::DownArrow);
    setPopupMode(QToolButton::InstantPopup);
    setFocusPolicy(Qt::TabFocus);
    auto *menu = new QMenu(this);
    // Filled when it opens: another window of the program may have added files meanwhile.
    connect(menu, &QMenu::aboutToShow, this, &TRecentFilesButton::FillMenu);
    setMenu(menu);
}

QStringList TRecentFilesButton::Files() const
{
    // A hand-edited store may hold anything: empty entries and duplicates are skipped.
    QStringList files;
    for (const QString &file : QSettings().value(FSettingsName).toStringList())
        if (!file.isEmpty() && !files.contains(file) && files.size() < Capacity)
            files << file;
    return files;
}

void TRecentFilesButton::Add(const QString &fileName)
{
    if (fileName.isEmpty())
        return;
    QStringList files = Files();
    files.removeAll(fileName);
    files.prepend(fileName);
    Store(files.mid(0, Capacity));
}

void TRecentFilesButton::Clear()
{
    Store({});
}

void TRecentFilesButton::Store(const QStringList &files)
{
    QSettings settings;
    if (files.isEmpty())
        settings.remove(FSettingsName);
    else
        settings.setValue(FSettingsName, files);
}

void TRecentFilesButton::FillMenu()
{
    QMenu *list = menu();
    list->clear();
    const QStringList files = Files();
    for (qsizetype i = 0; i < files.size(); ++i) {
        // The first nine get a number key, as recent-file menus do.
        const QString caption = (i < 9 ? QStringLiteral("&%1  ").arg(i + 1) : QStringLiteral("    ")) +
                                QDir::toNativeSeparators(files.at(i)).replace(u'&', QStringLiteral("&&"));
        const QString file = files.at(i);
        connect(list->addAction(caption), &QAction::triggered, this, [this, file] {
            if (OnFileChosen)
                OnFileChosen(file);
        });
    }
    if (files.isEmpty())
        list->addAction(tr("No recent files"))->setEnabled(false);
    list->addSeparator();
    QAction *clear = list->addAction(tr("Clear list"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, &TRecentFilesButton::Clear);
}
