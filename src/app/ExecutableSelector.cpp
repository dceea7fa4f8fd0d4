#include "app/ExecutableSelector.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QVariantMap>

using namespace Qt::Literals::StringLiterals;

TExecutableSelector::TExecutableSelector(QWidget *DialogParent, QString SettingsName)
    : QObject(DialogParent), FSettingsName(std::move(SettingsName))
{
    FMenu = new QMenu(u"E&xecutable"_s, DialogParent);
    FMenu->setObjectName(u"PMExecutable"_s);
    FChoose = FMenu->addAction(u"&Choose executable\u2026"_s, this, [this] { ChooseFile(); });
    FChoose->setToolTip(u"Names the executable of the MAP file's build when it lies elsewhere or has "
                        u"another name"_s);
    FMenu->addSeparator();
    auto *group = new QActionGroup(this);
    FBeside = FMenu->addAction(u"Executable &beside the MAP file"_s, this,
                               [this] { SetChoice(TExecutableChoice()); });
    FNone = FMenu->addAction(u"&No executable"_s, this,
                             [this] { SetChoice(TExecutableChoice{TExecutableChoice::None, {}}); });
    // Shown while one is named: its name, checked.
    FNamed = FMenu->addAction(QString(), this, [this] { ShowChoice(); });
    for (QAction *action : {FBeside, FNone, FNamed}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    FMenu->setToolTipsVisible(true);
    Chooser = [DialogParent](const QString &startFolder) {
        return QFileDialog::getOpenFileName(DialogParent, u"The executable of the MAP file's build"_s,
                                            startFolder,
                                            u"Executables (*.exe *.dll *.bpl);;All files (*)"_s);
    };
    ShowChoice();
    SetEnabled(false);
}

QString TExecutableSelector::ChoiceText(const TExecutableChoice &Choice)
{
    switch (Choice.Mode) {
    case TExecutableChoice::Beside:
        return {};
    case TExecutableChoice::None:
        return u"none"_s;
    case TExecutableChoice::Named:
        break;
    }
    return Choice.FileName;
}

void TExecutableSelector::SetMapFile(const QString &MapFile, const QStringList &RecentFiles)
{
    FMapFile = MapFile;
    QSettings settings;
    const QVariantMap stored = settings.value(FSettingsName).toMap();
    const QString text = stored.value(MapFile).toString();
    FChoice = text.isEmpty() ? TExecutableChoice() : TExecutableChoice::FromText(text);
    QVariantMap kept;
    for (const QString &file : RecentFiles)
        if (stored.contains(file))
            kept.insert(file, stored.value(file));
    if (kept != stored)
        settings.setValue(FSettingsName, kept);
    ShowChoice();
    SetEnabled(true);
}

void TExecutableSelector::SetChoice(const TExecutableChoice &Choice)
{
    FChoice = Choice;
    if (!FMapFile.isEmpty()) {
        QSettings settings;
        QVariantMap stored = settings.value(FSettingsName).toMap();
        const QString text = ChoiceText(Choice);
        if (text.isEmpty())
            stored.remove(FMapFile);
        else
            stored.insert(FMapFile, text);
        settings.setValue(FSettingsName, stored);
    }
    ShowChoice();
    if (OnChanged)
        OnChanged(this);
}

void TExecutableSelector::SetEnabled(bool Enabled)
{
    FMenu->setEnabled(Enabled && !FMapFile.isEmpty());
}

void TExecutableSelector::ChooseFile()
{
    const QString start = FChoice.Mode == TExecutableChoice::Named ? QFileInfo(FChoice.FileName).path()
                                                                    : QFileInfo(FMapFile).path();
    const QString chosen = Chooser ? Chooser(start) : QString();
    if (!chosen.isEmpty())
        SetChoice(TExecutableChoice{TExecutableChoice::Named, QFileInfo(chosen).absoluteFilePath()});
}

void TExecutableSelector::ShowChoice()
{
    const bool named = FChoice.Mode == TExecutableChoice::Named;
    FNamed->setVisible(named);
    FNamed->setText(named ? QFileInfo(FChoice.FileName).fileName().replace(u'&', u"&&"_s) : QString());
    FNamed->setToolTip(named ? QDir::toNativeSeparators(FChoice.FileName) : QString());
    (named ? FNamed : FChoice.Mode == TExecutableChoice::None ? FNone : FBeside)->setChecked(true);
}
