#include "controls/UStandardIcons.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QResource>
#include <QSettings>

// The archive is compiled into the controls library; a static library must register it explicitly.
static void InitStandardIconsResource()
{
    Q_INIT_RESOURCE(StandardIcons);
}

namespace {

const QString ArchiveFolder = QStringLiteral(":/SFS_ICONS");
const QString DevelopmentArchiveRoot = QStringLiteral("/development-icons");

// Inside the development environment the icons come from the archive file the developer's settings
// name ("StandardIconsDLL" under the organisation's key), not from the program itself.
QString ProgramArchiveFolder()
{
    const QString program =
        QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    if (!program.contains(QLatin1String("bds"), Qt::CaseInsensitive)) {
        InitStandardIconsResource();
        return ArchiveFolder;
    }
#ifdef Q_OS_WIN
    // The organisation's own key: QSettings would read its "OrganizationDefaults" sub-key.
    const QSettings developerSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\Brackwell"),
                                      QSettings::NativeFormat);
#else
    const QSettings developerSettings(QSettings::NativeFormat, QSettings::UserScope,
                                      QStringLiteral("Brackwell"));
#endif
    const QString library = developerSettings.value(QStringLiteral("StandardIconsDLL")).toString();
    if (library.isEmpty() || !QResource::registerResource(library, DevelopmentArchiveRoot))
        return QString();
    return QLatin1Char(':') + DevelopmentArchiveRoot + QStringLiteral("/SFS_ICONS");
}

} // namespace

void TStandardImage::Draw(QPainter &canvas, QPoint at) const
{
    canvas.drawImage(at, FImage);
}

TStandardIconStore::TStandardIconStore(QString archiveFolder) : FArchiveFolder(std::move(archiveFolder)) {}

void TStandardIconStore::OpenLocked()
{
    if (FOpened)
        return;
    FOpened = true;
    if (FArchiveFolder.isEmpty())
        FArchiveFolder = ProgramArchiveFolder();
    if (!FArchiveFolder.isEmpty() && !QFileInfo(FArchiveFolder).isDir())
        FArchiveFolder.clear();
}

bool TStandardIconStore::HasEntryLocked(const QString &name) const
{
    if (name.isEmpty() || FArchiveFolder.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    return QFileInfo(FArchiveFolder + QLatin1Char('/') + name).isFile();
}

bool TStandardIconStore::HasIcon(const QString &name)
{
    const std::lock_guard guard(FLock);
    OpenLocked();
    return HasEntryLocked(name);
}

TStandardImagePtr TStandardIconStore::GetIcon(const QString &name)
{
    const std::lock_guard guard(FLock);
    OpenLocked();
    for (qsizetype i = 0; i < FCache.size(); ++i) {
        if (FCache[i]->Name() != name)
            continue;
        TStandardImagePtr found = FCache[i];
        if (i >= StablePositions)
            FCache.move(i, 0);
        return found;
    }
    if (!HasEntryLocked(name))
        return nullptr;
    const QImage decoded(FArchiveFolder + QLatin1Char('/') + name);
    if (decoded.isNull())
        return nullptr;
    auto image = std::make_shared<const TStandardImage>(name, decoded);
    FCache.prepend(image);
    while (FCache.size() > CacheCapacity)
        FCache.removeLast();
    return image;
}

QStringList TStandardIconStore::CachedNames() const
{
    const std::lock_guard guard(FLock);
    QStringList names;
    for (const TStandardImagePtr &image : FCache)
        names.append(image->Name());
    return names;
}

TStandardIconStore &StandardIconStore()
{
    static TStandardIconStore store;
    return store;
}

TStandardImagePtr GetStandardIcon(const QString &name)
{
    return StandardIconStore().GetIcon(name);
}

bool HasStandardIcon(const QString &name)
{
    return StandardIconStore().HasIcon(name);
}
