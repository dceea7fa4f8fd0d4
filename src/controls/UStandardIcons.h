#pragma once
// The standard icon store: named images from the program's own icon archive (the Qt resource folder
// ":/SFS_ICONS", one image file per entry, the entry name being the icon name). Decoded images are
// cached, most recently added first, and shared so that a caller may keep one after it leaves the cache.

#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <optional>

class QPainter;

class TStandardImage
{
public:
    TStandardImage(QString name, QImage image) : FName(std::move(name)), FImage(std::move(image)) {}
    const QString &Name() const { return FName; }
    const QImage &Image() const { return FImage; }
    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    void Draw(QPainter &canvas, QPoint at) const;

private:
    QString FName;
    QImage FImage;
};

using TStandardImagePtr = std::shared_ptr<const TStandardImage>;

class TStandardIconStore
{
public:
    static constexpr int CacheCapacity = 63;
    // Entries at positions up to this one stay where they are when used again.
    static constexpr int StablePositions = 33;

    // archiveFolder: the folder whose files are the entries; when empty, the store opens the program's
    // own archive on first use.
    explicit TStandardIconStore(QString archiveFolder = QString());

    bool HasIcon(const QString &name);
    TStandardImagePtr GetIcon(const QString &name);
    // Names in the cache, front first.
    QStringList CachedNames() const;

private:
    void OpenLocked();
    bool HasEntryLocked(const QString &name) const;

    mutable std::mutex FLock;
    bool FOpened = false;
    QString FArchiveFolder;
    QList<TStandardImagePtr> FCache;
};

// The process-wide store over the program's own archive.
TStandardIconStore &StandardIconStore();
TStandardImagePtr GetStandardIcon(const QString &name);
bool HasStandardIcon(const QString &name);
