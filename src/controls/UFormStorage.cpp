#include "controls/UFormStorage.h"

#include "controls/UStdMessageDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

const QString CompanyName = QStringLiteral("Brackwell");

QString ProgramBaseName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

// Show commands of the placement record.
constexpr int swHide = 0;
constexpr int swShowNormal = 1;
constexpr int swShowMinimized = 2;
constexpr int swShowMaximized = 3;

Qt::WindowState StateOfShowCmd(int showCmd)
{
    switch (showCmd) {
    case 2:
    case 6:
    case 7:
        return Qt::WindowMinimized;
    case 3:
        return Qt::WindowMaximized;
    default:
        // Without default positioning, which decides the remaining commands, the form opens normally.
        return Qt::WindowNoState;
    }
}

QString FourWords(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

QMetaProperty FindProperty(const QObject *component, const QString &name)
{
    const QMetaObject *meta = component->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i)
        if (QString::fromLatin1(meta->property(i).name()).compare(name, Qt::CaseInsensitive) == 0)
            return meta->property(i);
    return QMetaProperty();
}

} // namespace

bool TWinMinMaxInfo::IsZero() const
{
    return *this == TWinMinMaxInfo();
}

TFormPlacement::TFormPlacement(QWidget *form)
    : QObject(form), FForm(form), FFormClassName(QString::fromLatin1(form->metaObject()->className()))
{
    form->installEventFilter(this);
}

TFormPlacement::~TFormPlacement()
{
    FForm->removeEventFilter(this);
    FormDestroy();
}

void TFormPlacement::SetPreventResize(bool value)
{
    if (value == FPreventResize)
        return;
    if (value)
        FHadMaximizeButton = FForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint);
    FPreventResize = value;
    // Changing the window's buttons re-creates it; that must neither save nor restore.
    const bool wasActive = FActive;
    const bool wasVisible = FForm->isVisible();
    FActive = false;
    if (FForm->isWindow())
        FForm->setWindowFlag(Qt::WindowMaximizeButtonHint, !value && FHadMaximizeButton);
    ApplySizeLimits();
    if (wasVisible)
        FForm->show();
    FActive = wasActive;
}

void TFormPlacement::SetMinMaxInfo(const TWinMinMaxInfo &value)
{
    FMinMaxInfo = value;
    ApplySizeLimits();
}

void TFormPlacement::ApplySizeLimits()
{
    if (FPreventResize) {
        FForm->setFixedSize(FForm->size());
        return;
    }
    const auto limit = [](int value, int none) { return value != 0 ? value : none; };
    FForm->setMinimumSize(limit(FMinMaxInfo.MinTrackWidth, 0), limit(FMinMaxInfo.MinTrackHeight, 0));
    FForm->setMaximumSize(limit(FMinMaxInfo.MaxTrackWidth, QWIDGETSIZE_MAX),
                          limit(FMinMaxInfo.MaxTrackHeight, QWIDGETSIZE_MAX));
}

QString TFormPlacement::DefaultStorageName() const
{
    if (FUseRegistry)
        return QStringLiteral("Software\\") +
               (CompanyName.isEmpty() ? QString() : CompanyName + QLatin1Char('\\')) + ProgramBaseName();
    return ProgramBaseName() + QStringLiteral(".INI");
}

QString TFormPlacement::SectionPath() const
{
    const QString section = FIniSection.isEmpty() ? FFormClassName : FIniSection;
    if (!FUseRegistry || section.startsWith(QLatin1Char('\\')))
        return section;
    const QString storage = FIniFileName.isEmpty() ? DefaultStorageName() : FIniFileName;
    return storage + QLatin1Char('\\') + section;
}

// A registry path "Software\<organisation>\<application>\<sub-keys>" becomes the native settings of that
// organisation and application, the sub-keys a group inside them. An INI file keeps its section as group.
void TFormPlacement::OpenStorage()
{
    QString group;
    if (FUseRegistry) {
        QStringList keys = SectionPath().split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        if (!keys.isEmpty() && keys.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
            keys.removeFirst();
        const QString organisation = keys.value(0);
        const QString application = keys.value(1);
        group = keys.mid(2).join(QLatin1Char('/'));
        const QSettings::Scope scope =
            FRegistryRoot == prCurrentUser ? QSettings::UserScope : QSettings::SystemScope;
        FStorage = std::make_unique<QSettings>(QSettings::NativeFormat, scope, organisation, application);
    } else {
        QString file = FIniFileName.isEmpty() ? DefaultStorageName() : FIniFileName;
        if (QFileInfo(file).isRelative())
            file =
                QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(file);
        group = SectionPath();
        group.replace(QLatin1Char('\\'), QLatin1Char('/'));
        FStorage = std::make_unique<QSettings>(file, QSettings::IniFormat);
    }
    if (!group.isEmpty())
        FStorage->beginGroup(group);
}

void TFormPlacement::CloseStorage()
{
    if (FStorage)
        FStorage->sync();
    FStorage.reset();
}

void TFormPlacement::AdoptSubSection(const QString &name)
{
    OpenStorage();
    FStorage->beginGroup(name);
    std::vector<std::pair<QString, QVariant>> values;
    for (const QString &key : FStorage->childKeys())
        values.emplace_back(key, FStorage->value(key));
    FStorage->endGroup();
    for (const auto &[key, value] : values)
        FStorage->setValue(key, value);
    if (!values.empty())
        FStorage->remove(name);
    CloseStorage();
}

QString TFormPlacement::ReadString(const QString &name, const QString &defaultValue)
{
    const bool opened = !FStorage;
    if (opened)
        OpenStorage();
    const QVariant value = FStorage->value(name);
    if (opened)
        CloseStorage();
    return value.isValid() ? value.toString() : defaultValue;
}

void TFormPlacement::WriteString(const QString &name, const QString &value)
{
    const bool opened = !FStorage;
    if (opened)
        OpenStorage();
    FStorage->setValue(name, value);
    if (opened)
        CloseStorage();
}

int TFormPlacement::ReadInteger(const QString &name, int defaultValue)
{
    bool ok = false;
    const int value = ReadString(name, QString()).trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

void TFormPlacement::WriteInteger(const QString &name, int value)
{
    WriteString(name, QString::number(value));
}

QString TFormPlacement::ScreenQualifier()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

int TFormPlacement::ScreenPixelsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

TWindowPlacement TFormPlacement::GetWindowPlacement() const
{
    TWindowPlacement placement = FPlacement;
    placement.ShowCmd = FForm->isMinimized()   ? swShowMinimized
                        : FForm->isMaximized() ? swShowMaximized
                                               : swShowNormal;
    QRect normal = FForm->geometry();
    if ((FForm->isMinimized() || FForm->isMaximized() || FForm->isFullScreen()) &&
        FForm->normalGeometry().isValid())
        normal = FForm->normalGeometry();
    placement.NormalPosition =
        QRect(QPoint(normal.left(), normal.top()), QPoint(normal.right() + 1, normal.bottom() + 1));
    return placement;
}

namespace {

// A stored placement may come from another screen set-up or a hand-edited file: the window is
// never larger than the screens together, and one that would lie wholly off them is brought back.
QRect KeptOnScreens(QRect geometry)
{
    QRect screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens |= screen->availableGeometry();
    if (screens.isEmpty())
        return geometry;
    geometry.setWidth(std::clamp(geometry.width(), 1, screens.width()));
    geometry.setHeight(std::clamp(geometry.height(), 1, screens.height()));
    if (!screens.intersects(geometry))
        geometry.moveTopLeft(screens.topLeft());
    return geometry;
}

} // namespace

void TFormPlacement::SetWindowPlacement(const TWindowPlacement &placement)
{
    FPlacement = placement;
    // Any four integers may arrive here: the extents are taken in 64 bits and every figure is kept to
    // what a window can have, so that no arithmetic on the rectangle can overflow.
    const QRect &bounds = placement.NormalPosition;
    const auto coordinate = [](qint64 value) {
        return int(std::clamp<qint64>(value, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    };
    const auto extent = [&](int from, int to) { return coordinate(std::max<qint64>(qint64(to) - from, 0)); };
    QRect geometry(coordinate(bounds.left()), coordinate(bounds.top()), extent(bounds.left(), bounds.right()),
                   extent(bounds.top(), bounds.bottom()));
    if (FForm->isWindow())
        geometry = KeptOnScreens(geometry);
    if (geometry != FForm->geometry())
        FForm->setGeometry(geometry);
}

void TFormPlacement::WriteFormPlacement()
{
    const TWindowPlacement placement = GetWindowPlacement();
    const QString qualifier = ScreenQualifier();
    const QString minMax = FourWords(placement.MinPosition.x(), placement.MinPosition.y(),
                                     placement.MaxPosition.x(), placement.MaxPosition.y());
    const QRect &normal = placement.NormalPosition;
    const QString normPos = FourWords(normal.left(), normal.top(), normal.right(), normal.bottom());
    WriteInteger(QStringLiteral("Flags"), placement.Flags);
    WriteInteger(QStringLiteral("ShowCmd"), placement.ShowCmd);
    WriteInteger(QStringLiteral("PixelsPerInch"), ScreenPixelsPerInch());
    WriteString(QStringLiteral("MinMaxPos") + qualifier, minMax);
    WriteString(QStringLiteral("MinMaxPos"), minMax);
    WriteString(QStringLiteral("NormPos") + qualifier, normPos);
    WriteString(QStringLiteral("NormPos"), normPos);
}

QString TFormPlacement::ReadQualified(const QString &name)
{
    const QString qualified = ReadString(name + ScreenQualifier(), QString());
    return qualified.isEmpty() ? ReadString(name, QString()) : qualified;
}

// Four decimal words separated by commas or blanks (a run of separators counts as one); a word that is
// missing or not a number keeps its value.
std::array<int, 4> TFormPlacement::ReadFourWords(const QString &name, std::array<int, 4> values, bool &found)
{
    const QString text = ReadQualified(name);
    if (text.isEmpty())
        return values;
    found = true;
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int word = words.value(i).toInt(&ok);
        values[i] = ok ? word : 0;
    }
    return values;
}

void TFormPlacement::ReadFormPlacement(bool position, bool state)
{
    if (!position && !state)
        return;
    TWindowPlacement placement = GetWindowPlacement();
    if (!FForm->isVisible())
        placement.ShowCmd = swHide;
    if (position) {
        placement.Flags = ReadInteger(QStringLiteral("Flags"), placement.Flags);
        bool found = false;
        const std::array<int, 4> minMax =
            ReadFourWords(QStringLiteral("MinMaxPos"),
                          {placement.MinPosition.x(), placement.MinPosition.y(), placement.MaxPosition.x(),
                           placement.MaxPosition.y()},
                          found);
        placement.MinPosition = QPoint(minMax[0], minMax[1]);
        placement.MaxPosition = QPoint(minMax[2], minMax[3]);
        const QRect current = FForm->geometry();
        std::array<int, 4> normal =
            ReadFourWords(QStringLiteral("NormPos"),
                          {current.left(), current.top(), current.left() + current.width(),
                           current.top() + current.height()},
                          found);
        if (found &&
            ReadInteger(QStringLiteral("PixelsPerInch"), ScreenPixelsPerInch()) == ScreenPixelsPerInch()) {
            // A form the user cannot resize keeps its size.
            if (FForm->minimumSize() == FForm->maximumSize()) {
                normal[0] = std::clamp(normal[0], -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
                normal[1] = std::clamp(normal[1], -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
                normal[2] = normal[0] + current.width();
                normal[3] = normal[1] + current.height();
            }
            if (normal[0] < normal[2]) {
                placement.NormalPosition = QRect(QPoint(normal[0], normal[1]), QPoint(normal[2], normal[3]));
                SetWindowPlacement(placement);
            }
        }
    }
    if (state) {
        const Qt::WindowState windowState = StateOfShowCmd(ReadInteger(QStringLiteral("ShowCmd"), swHide));
        FForm->setWindowState(windowState);
    }
    FForm->update();
}

void TFormPlacement::UpdatePlacement()
{
    if (!FForm->isWindow() || FPreventResize || !FMinMaxInfo.IsZero())
        return;
    TWindowPlacement placement = GetWindowPlacement();
    if (!FForm->isVisible())
        placement.ShowCmd = swHide;
    // A maximised window puts its frame just outside the screen.
    const int border = (FForm->frameGeometry().width() - FForm->geometry().width()) / 2;
    placement.MaxPosition = QPoint(-border, -border);
    SetWindowPlacement(placement);
}

QWidget *TFormPlacement::FindControl(const QString &name) const
{
    return name.isEmpty() ? nullptr : FForm->findChild<QWidget *>(name);
}

void TFormPlacement::SavePlacement()
{
    if (FOptions & (fpState | fpPosition)) {
        WriteFormPlacement();
        WriteString(QStringLiteral("Visible"), FDestroying ? QStringLiteral("1") : QStringLiteral("0"));
    }
    const QWidget *focused = FForm->focusWidget();
    if ((FOptions & fpActiveControl) && focused && !focused->objectName().isEmpty())
        WriteString(QStringLiteral("ActiveControl"), focused->objectName());
}

void TFormPlacement::RestorePlacement()
{
    ReadFormPlacement(FOptions & fpPosition, FOptions & fpState);
}

void TFormPlacement::DoSavePlacement()
{
    if (OnSavePlacement)
        OnSavePlacement(this);
}

void TFormPlacement::DoRestorePlacement()
{
    if (OnRestorePlacement)
        OnRestorePlacement(this);
}

void TFormPlacement::SaveState()
{
    if (!FRestored && FActive)
        return;
    OpenStorage();
    WriteInteger(QStringLiteral("FormVersion"), FVersion);
    DoSavePlacement();
    SavePlacement();
    CloseStorage();
    FSaved = true;
}

void TFormPlacement::RestoreState()
{
    FSaved = false;
    OpenStorage();
    if (ReadInteger(QStringLiteral("FormVersion"), 0) >= FVersion) {
        RestorePlacement();
        FRestored = true;
        DoRestorePlacement();
        if (FOptions & fpActiveControl) {
            QWidget *control = FindControl(ReadString(QStringLiteral("ActiveControl"), QString()));
            if (control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
                control->setFocus();
        }
    }
    FRestored = true;
    CloseStorage();
    UpdatePlacement();
}

void TFormPlacement::ReportException(const std::exception &error) const
{
    ShowErrorMessage(QLatin1Char('!') + QString::fromUtf8(error.what()));
}

// The form's window is restored when it is first shown; later shows keep where the user put it.
void TFormPlacement::FormShow()
{
    if (!FActive || FRestored)
        return;
    try {
        RestoreState();
    } catch (const std::exception &error) {
        ReportException(error);
    }
}

void TFormPlacement::FormCloseQuery(QEvent *event)
{
    // The form decides first whether it may close.
    static_cast<QObject *>(FForm)->event(event);
    if (!event->isAccepted() || !FActive)
        return;
    try {
        SaveState();
    } catch (const std::exception &error) {
        ReportException(error);
    }
}

void TFormPlacement::FormDestroy()
{
    if (!FActive || FSaved)
        return;
    FDestroying = true;
    try {
        SaveState();
    } catch (const std::exception &error) {
        ReportException(error);
    }
    FDestroying = false;
}

bool TFormPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FForm && event->type() == QEvent::Show)
        FormShow();
    else if (watched == FForm && event->type() == QEvent::Close) {
        FormCloseQuery(event);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TFormStorage::SetStoredProps(const QStringList &value)
{
    FStoredProps = value;
}

// Entries that do not split into a component and a property, or whose component has gone, are dropped.
std::vector<TFormStorage::TStoredProp> TFormStorage::ResolveStoredProps()
{
    std::vector<TStoredProp> resolved;
    QStringList kept;
    for (const QString &entry : std::as_const(FStoredProps)) {
        const qsizetype dot = entry.indexOf(QLatin1Char('.'));
        const QString componentName = entry.left(dot).trimmed();
        const QString propertyName = entry.mid(dot + 1).trimmed();
        if (dot < 0 || componentName.isEmpty() || propertyName.isEmpty())
            continue;
        QObject *component = Form()->findChild<QObject *>(componentName);
        if (!component)
            continue;
        kept.append(component->objectName() + QLatin1Char('.') + propertyName);
        resolved.push_back({component, propertyName});
    }
    FStoredProps = kept;
    return resolved;
}

void TFormStorage::SaveStoredProps()
{
    for (const TStoredProp &prop : ResolveStoredProps()) {
        const QMetaProperty property = FindProperty(prop.Component, prop.PropertyName);
        if (!property.isValid())
            continue;
        const QString value = property.read(prop.Component).toString().trimmed();
        WriteString(prop.Component->objectName() + QLatin1Char('_') + prop.PropertyName, value);
    }
}

void TFormStorage::RestoreStoredProps()
{
    for (const TStoredProp &prop : ResolveStoredProps()) {
        const QMetaProperty property = FindProperty(prop.Component, prop.PropertyName);
        if (!property.isValid() || !property.isWritable())
            continue;
        const QString current = property.read(prop.Component).toString();
        const QString value =
            ReadString(prop.Component->objectName() + QLatin1Char('_') + prop.PropertyName, current);
        // A value the property does not take is skipped; the others are still restored.
        property.write(prop.Component, value.trimmed());
    }
}

void TFormStorage::SaveStoredValues()
{
    for (TStoredValue &stored : FStoredValues) {
        if (stored.OnSave)
            stored.OnSave(stored);
        WriteString(stored.Name, stored.Value.toString());
    }
}

void TFormStorage::RestoreStoredValues()
{
    for (TStoredValue &stored : FStoredValues) {
        stored.Value = ReadString(stored.Name, stored.Value.toString());
        if (stored.OnRestore)
            stored.OnRestore(stored);
    }
}

void TFormStorage::SavePlacement()
{
    TFormPlacement::SavePlacement();
    SaveStoredProps();
    SaveStoredValues();
}

void TFormStorage::RestorePlacement()
{
    TFormPlacement::RestorePlacement();
    FRestored = true;
    try {
        RestoreStoredProps();
    } catch (const std::exception &) {
        // A property that refuses its stored value leaves the form as it was.
    }
    RestoreStoredValues();
}
