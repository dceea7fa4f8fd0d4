#include "base/UFileUtils.h"

#include "base/FileSystemAccess.h"
#include "base/UCharsetConvert.h"
#include "base/XLists.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

namespace {

QChar FoldAsciiCase(QChar c)
{
    return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c;
}

// Matches one "[...]" set at mask[m] against c; returns the index after the set, or -1 on no match.
qsizetype MatchSet(const QString &mask, qsizetype m, QChar c)
{
    qsizetype k = m + 1;
    const bool negate = k < mask.size() && mask.at(k) == u'!';
    if (negate)
        ++k;
    bool matched = false;
    const QChar folded = FoldAsciiCase(c);
    while (k < mask.size() && mask.at(k) != u']') {
        const QChar low = FoldAsciiCase(mask.at(k));
        QChar high = low;
        if (k + 2 < mask.size() && mask.at(k + 1) == u'-' && mask.at(k + 2) != u']') {
            high = FoldAsciiCase(mask.at(k + 2));
            k += 2;
        }
        matched = matched || (folded >= low && folded <= high);
        ++k;
    }
    if (k >= mask.size())
        return -1; // an unclosed set matches nothing
    return matched != negate ? k + 1 : -1;
}

bool MaskMatches(const QString &mask, qsizetype m, const QString &name, qsizetype n)
{
    // Iterative with one backtrack point for the last "*": linear for masks such as "*.dcu".
    qsizetype starMask = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask.at(m) == u'*') {
            starMask = ++m;
            starName = n;
            continue;
        }
        if (m < mask.size()) {
            const QChar pattern = mask.at(m);
            if (pattern == u'?') {
                ++m;
                ++n;
                continue;
            }
            if (pattern == u'[') {
                const qsizetype next = MatchSet(mask, m, name.at(n));
                if (next >= 0) {
                    m = next;
                    ++n;
                    continue;
                }
            } else if (FoldAsciiCase(pattern) == FoldAsciiCase(name.at(n))) {
                ++m;
                ++n;
                continue;
            }
        }
        if (starMask < 0)
            return false;
        m = starMask;
        n = ++starName;
    }
    while (m < mask.size() && mask.at(m) == u'*')
        ++m;
    return m == mask.size();
}

class FileCollector
{
public:
    FileCollector(const QStringList &masks, TXStringList &list, const TCollectFilesProgressEvent &progress,
                  TCollectFilesCounts &counts)
        : FList(list), FProgress(progress), FCounts(counts)
    {
        for (const QString &mask : masks)
            FMasks.emplace_back(mask);
    }

    void Enumerate(const QString &folder, bool recurse)
    {
        if (Aborted(folder))
            return;
        TFolderListing listing(folder);
        TFolderIdentity identity;
        if (!listing.IsOpen() || !listing.Identity(identity) || !FEntered.insert(identity).second ||
            listing.IsPseudoFileSystem())
            return;
        ++FCounts.Folders;
        int entries = 0;
        TFolderEntry entry;
        while (listing.Next(entry)) {
            // A folder of a million files must not hold the caller's window frozen until it is listed.
            // An abort asked for here ends the descent; the folder's own files are still listed.
            if (++entries % ProgressEntries == 0 && Aborted(folder))
                recurse = false;
            if (entry.IsFolder) {
                if (recurse)
                    Enumerate(folder + entry.Name + u'/', true);
            } else if (Matches(entry.Name)) {
                FList.Add(folder + entry.Name);
                ++FCounts.Files;
            }
        }
    }

private:
    static constexpr int ProgressEntries = 1024;

    bool Aborted(const QString &folder) const
    {
        bool abort = false;
        if (FProgress)
            FProgress(folder, abort);
        return abort;
    }

    bool Matches(const QString &name) const
    {
        return std::any_of(FMasks.begin(), FMasks.end(), [&name](const TFileMask &mask) { return mask.Matches(name); });
    }

    std::vector<TFileMask> FMasks;
    TXStringList &FList;
    const TCollectFilesProgressEvent &FProgress;
    TCollectFilesCounts &FCounts;
    // Every folder of the walk, not only those of the current descent: links such as a sibling
    // alias or /proc/PID/cwd would otherwise have whole trees listed again.
    std::set<TFolderIdentity> FEntered;
};

bool IsDriveLetterPath(const QString &path)
{
    return path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter();
}

// The entry of `folder` named `name` ignoring letter case; empty when there is none.
QString FindIgnoringCase(const QString &folder, const QString &name)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    return {};
}

QString WithFolder(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool HasWildcards(const QString &name)
{
    return name.contains(u'*') || name.contains(u'?');
}

// The first entry of the folder part of `path` that matches its (wildcard) name part.
QString FirstMatchingEntry(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = slash >= 0 ? path.left(slash + 1) : QString();
    const TFileMask mask(path.mid(slash + 1));
    TFolderListing listing(folder);
    TFolderEntry entry;
    while (listing.Next(entry))
        if (mask.Matches(entry.Name))
            return folder + entry.Name;
    return {};
}

} // namespace

TFileMask::TFileMask(const QString &mask) : FMask(mask) {}

bool TFileMask::Matches(const QString &name) const
{
    return MaskMatches(FMask, 0, name, 0);
}

void CollectFiles(const QString &folder, const QString &mask, TXStringList &list, bool recurse,
                  const TCollectFilesProgressEvent &progress, TCollectFilesCounts *counts)
{
    CollectFiles(folder, QStringList{mask}, list, recurse, progress, counts);
}

void CollectFiles(const QString &folder, const QStringList &masks, TXStringList &list, bool recurse,
                  const TCollectFilesProgressEvent &progress, TCollectFilesCounts *counts)
{
    // A folder typed without its final separator would otherwise list the parent's entries.
    const QString start = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
    TCollectFilesCounts ownCounts;
    FileCollector(masks, list, progress, counts ? *counts : ownCounts).Enumerate(start, recurse);
}

QByteArray LoadBytesFromFile(const QString &fileName, qint64 offset, qint64 maxCount)
{
    TReadOnlyFile file(fileName);
    if (!file.IsOpen())
        return {};
    const qint64 available = qMax<qint64>(0, file.Size() - qMax<qint64>(0, offset));
    const qint64 count = qMin(available, qMax<qint64>(0, maxCount));
    if (count <= 0)
        return {};
    QByteArray bytes(count, Qt::Uninitialized);
    bytes.truncate(qMax<qint64>(0, file.ReadAt(bytes.data(), count, offset)));
    return bytes;
}

bool ReadTextFile(const QString &fileName, TTextFileBytes &text, QString &error)
{
    text = TTextFileBytes();
    TReadOnlyFile file(fileName);
    if (!file.IsOpen()) {
        error = file.Error();
        return false;
    }
    // Read in place into a buffer that doubles up to the file's size, never copied chunk to chunk.
    constexpr qint64 HeadSize = 64 * 1024;
    constexpr qint64 GrowthBeyondSize = 16 * 1024 * 1024;
    const qint64 size = file.Size();
    QByteArray &bytes = text.Bytes;
    qint64 length = 0;
    bool wide = false;
    for (;;) {
        if (length == bytes.size()) {
            const qint64 next = length == 0     ? HeadSize
                                : size > length ? std::min(2 * length, size)
                                                : length + GrowthBeyondSize;
            bytes.resize(qsizetype(next));
        }
        const qint64 got = file.Read(bytes.data() + length, bytes.size() - length, error);
        if (got < 0) {
            bytes.clear();
            return false;
        }
        if (got == 0)
            break;
        if (length == 0) {
            const TStringEncoding encoding = DetectEncoding(QByteArrayView(bytes.constData(), got));
            wide = encoding.Kind == TStringEncoding::KindUnicode && encoding.CharSize > 1;
        }
        const char *nul =
            wide ? nullptr
                 : static_cast<const char *>(std::memchr(bytes.constData() + length, '\0', size_t(got)));
        if (nul) {
            length = nul - bytes.constData();
            text.EndsAtNul = true;
            break;
        }
        length += got;
    }
    bytes.truncate(qsizetype(length));
    return true;
}

bool ReadStream(const QString &fileName, QByteArray &bytes, qint64 maxSize, QString &error)
{
    bytes.clear();
    QFile stream(fileName);
    // Standard input through its descriptor (0 on every system): on Windows a C stream at a pipe's
    // end reads as an error.
    constexpr int StandardInput = 0;
    const bool opened = fileName.isEmpty() ? stream.open(StandardInput, QIODevice::ReadOnly)
                                           : stream.open(QIODevice::ReadOnly);
    if (!opened) {
        error = stream.errorString();
        return false;
    }
    constexpr qint64 ChunkSize = 1 << 20;
    for (;;) {
        const qint64 length = bytes.size();
        if (length > maxSize) {
            bytes.clear();
            error = QStringLiteral("more than %1 bytes").arg(maxSize);
            return false;
        }
        // Doubled, so that a stream of hundreds of megabytes is not copied chunk by chunk.
        if (bytes.capacity() < length + ChunkSize)
            bytes.reserve(qsizetype(std::max(2 * qint64(bytes.capacity()), length + ChunkSize)));
        bytes.resize(qsizetype(length + ChunkSize));
        const qint64 got = stream.read(bytes.data() + length, ChunkSize);
        if (got < 0) {
            bytes.clear();
            error = stream.errorString();
            return false;
        }
        bytes.truncate(qsizetype(length + got));
        if (got == 0)
            return true;
    }
}

QString LoadTextFromFile(const QString &fileName)
{
    const QByteArray bytes = LoadBytesFromFile(fileName);
    if (bytes.isEmpty())
        return {};
    return BytesToText(bytes, false);
}

qint64 FileSizeByName(const QString &path)
{
    QString entry = path;
    if (HasWildcards(path.mid(path.lastIndexOf(u'/') + 1)))
        entry = FirstMatchingEntry(path);
    return entry.isEmpty() ? -1 : EntrySize(entry);
}

QString GetStoredFileName(const QString &path)
{
#ifdef Q_OS_WIN
    const QString stored = StoredEntryName(path);
    if (!stored.isEmpty()) {
        const qsizetype cut =
            qMax(qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')), path.lastIndexOf(u':')) + 1;
        return path.left(cut) + stored;
    }
#endif
    if (QFileInfo::exists(path))
        return path;
    const QString resolved = ResolveWindowsPath(path);
    if (resolved.isEmpty())
        return path;
    const qsizetype cut = qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
    return path.left(cut) + resolved.mid(resolved.lastIndexOf(u'/') + 1);
}

QString ResolveWindowsPath(const QString &path)
{
    if (path.isEmpty())
        return {};
    if (IsDriveLetterPath(path))
        return ResolveDrivePath(path);
    QString unified = path;
    unified.replace(u'\\', u'/');
    if (QFileInfo::exists(unified))
        return unified;
    const bool absolute = unified.startsWith(u'/');
    const QStringList parts = unified.split(u'/', Qt::SkipEmptyParts);
    QString resolved = absolute ? QStringLiteral("/") : QString();
    for (const QString &part : parts) {
        const QString exact = WithFolder(resolved, part);
        if (part == QLatin1String(".") || part == QLatin1String("..") || QFileInfo::exists(exact)) {
            resolved = exact;
            continue;
        }
        const QString stored = FindIgnoringCase(resolved, part);
        if (stored.isEmpty())
            return {};
        resolved = WithFolder(resolved, stored);
    }
    return resolved;
}
