#include "app/MapFileWatcher.h"

#include "controls/ICCClock.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Longer than the last line of any MAP file and the blank lines after it.
constexpr qint64 TailBytes = 4096;

} // namespace

bool EndsAsMapFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (!file.seek(std::max<qint64>(0, size - TailBytes)))
        return false;
    const QByteArray tail = file.read(TailBytes);
    if (!tail.endsWith('\n'))
        return false;
    const QByteArray trimmed = tail.trimmed();
    const qsizetype lineStart = trimmed.lastIndexOf('\n') + 1;
    return trimmed.sliced(lineStart).trimmed().startsWith("Program entry point at");
}

TMapFileWatcher::TMapFileWatcher(std::shared_ptr<TICCClock> clock, QObject *parent)
    : QObject(parent), FClock(std::move(clock)), FTimer(FClock->CreateTimer([this] { Check(); }))
{
    connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, [this] { Check(); });
    // A file replaced by a rename leaves the watch on the old one: the folder tells.
    connect(&FWatcher, &QFileSystemWatcher::directoryChanged, this, [this] { Check(); });
}

TMapFileWatcher::~TMapFileWatcher() = default;

void TMapFileWatcher::Watch(const QString &fileName)
{
    if (!FWatcher.files().isEmpty())
        FWatcher.removePaths(FWatcher.files());
    if (!FWatcher.directories().isEmpty())
        FWatcher.removePaths(FWatcher.directories());
    FTimer->Stop();
    FSettling = false;
    FFileName = fileName.isEmpty() ? QString() : QFileInfo(fileName).absoluteFilePath();
    if (FFileName.isEmpty())
        return;
    FKnown = Current();
    FWatcher.addPath(QFileInfo(FFileName).absolutePath());
    Rewatch();
}

void TMapFileWatcher::Rewatch()
{
    if (!FWatcher.files().contains(FFileName) && QFileInfo(FFileName).isFile())
        FWatcher.addPath(FFileName);
}

TMapFileWatcher::TSignature TMapFileWatcher::Current() const
{
    const QFileInfo info(FFileName);
    if (!info.isFile())
        return {};
    return {info.size(), info.lastModified()};
}

void TMapFileWatcher::Check()
{
    if (FFileName.isEmpty())
        return;
    Rewatch();
    const TSignature now = Current();
    const qint64 time = FClock->NowMs();
    if (!FSettling) {
        if (now == FKnown)
            return;
        FSettling = true;
        FLastSeen = now;
        FLastChangeMs = time;
        FTimer->Start(PollMs);
        return;
    }
    if (!(now == FLastSeen)) {
        FLastSeen = now;
        FLastChangeMs = time;
        return;
    }
    if (time - FLastChangeMs < QuietMs)
        return;
    FTimer->Stop();
    FSettling = false;
    FKnown = now;
    if (now.Size < 0) {
        if (OnUnfinished)
            OnUnfinished(FFileName, QStringLiteral("it no longer exists"));
    } else if (!EndsAsMapFile(FFileName)) {
        if (OnUnfinished)
            OnUnfinished(FFileName, QStringLiteral("it does not end as a complete MAP file"));
    } else if (OnChanged) {
        OnChanged(FFileName);
    }
}
