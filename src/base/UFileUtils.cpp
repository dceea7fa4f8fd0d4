#include "base/UFileUtils.h"

#include "base/UCharsetConvert.h"
#include "base/XLists.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <utility>
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

struct DirCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};

// The kernel's views of itself: proc (whose /proc/PID/cwd and /proc/PID/root links lead back into
// the whole tree), sysfs, cgroup, debug and tracing, security, pseudo terminals and the like.
bool IsPseudoFileSystemType(__fsword_t type)
{
    static constexpr unsigned long PseudoTypes[] = {
        0x9fa0,     // proc
        0x62656572, // sysfs
        0x27e0eb,   // cgroup
        0x63677270, // cgroup2
        0x64626720, // debugfs
        0x74726163, // tracefs
        0x73636673, // securityfs
        0x6165676c, // pstore
        0xcafe4a11, // bpf
        0x1cd1,     // devpts
        0x19800202, // mqueue
        0x62656570, // configfs
        0xde5e81e4, // efivarfs
        0xf97cff8c, // selinuxfs
        0x65735543, // fusectl
        0x42494e4d, // binfmt_misc
        0x6e736673, // nsfs
    };
    for (const unsigned long pseudo : PseudoTypes)
        if (static_cast<unsigned long>(type) == pseudo)
            return true;
    return false;
}

// The device file system reports the type of an ordinary memory file system, so it is known by
// being the file system mounted at /dev, when that is a file system of its own.
dev_t DeviceFileSystem()
{
    struct stat dev;
    struct stat root;
    if (stat("/dev", &dev) != 0 || stat("/", &root) != 0 || dev.st_dev == root.st_dev)
        return dev_t(-1);
    return dev.st_dev;
}

bool IsPseudoFileSystem(int fd, const struct stat &folder, dev_t deviceFileSystem)
{
    if (folder.st_dev == deviceFileSystem)
        return true;
    struct statfs info;
    return fstatfs(fd, &info) == 0 && IsPseudoFileSystemType(info.f_type);
}

class FileCollector
{
public:
    FileCollector(const QString &mask, TXStringList &list, const TCollectFilesProgressEvent &progress,
                  TCollectFilesCounts &counts)
        : FMask(mask), FList(list), FProgress(progress), FCounts(counts),
          FDeviceFileSystem(DeviceFileSystem())
    {}

    void Enumerate(const QString &folder, bool recurse)
    {
        if (Aborted(folder))
            return;
        const QByteArray nativeFolder = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
        std::unique_ptr<DIR, DirCloser> dir(opendir(nativeFolder.constData()));
        if (!dir)
            return;
        struct stat own;
        if (fstat(dirfd(dir.get()), &own) != 0 || !FEntered.emplace(own.st_dev, own.st_ino).second ||
            IsPseudoFileSystem(dirfd(dir.get()), own, FDeviceFileSystem))
            return;
        ++FCounts.Folders;
        int entries = 0;
        while (const dirent *entry = readdir(dir.get())) {
            // A folder of a million files must not hold the caller's window frozen until it is listed.
            // An abort asked for here ends the descent; the folder's own files are still listed.
            if (++entries % ProgressEntries == 0 && Aborted(folder))
                recurse = false;
            const char *name = entry->d_name;
            if (IsDirectory(dir.get(), entry)) {
                if (recurse && strcmp(name, ".") != 0 && strcmp(name, "..") != 0)
                    Enumerate(folder + QFile::decodeName(name) + u'/', true);
            } else {
                const QString fileName = QFile::decodeName(name);
                if (FMask.Matches(fileName)) {
                    FList.Add(folder + fileName);
                    ++FCounts.Files;
                }
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

    static bool IsDirectory(DIR *dir, const dirent *entry)
    {
        if (entry->d_type == DT_DIR)
            return true;
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            return false;
        // Links are followed like any other entry; a dangling one is a file that no mask lists harmfully.
        struct stat target;
        return fstatat(dirfd(dir), entry->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    }

    const TFileMask FMask;
    TXStringList &FList;
    const TCollectFilesProgressEvent &FProgress;
    TCollectFilesCounts &FCounts;
    const dev_t FDeviceFileSystem;
    // Every folder of the walk, not only those of the current descent: links such as a sibling
    // alias or /proc/PID/cwd would otherwise have whole trees listed again.
    std::set<std::pair<dev_t, ino_t>> FEntered;
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
    std::unique_ptr<DIR, DirCloser> dir(
        opendir(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder)));
    if (!dir)
        return {};
    while (const dirent *entry = readdir(dir.get())) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String("..") && mask.Matches(name))
            return folder + name;
    }
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
    // A folder typed without its final separator would otherwise list the parent's entries.
    const QString start = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
    TCollectFilesCounts ownCounts;
    FileCollector(mask, list, progress, counts ? *counts : ownCounts).Enumerate(start, recurse);
}

namespace {

// A regular file opened for sequential reading, closed with this object. The open does not block: a
// FIFO or device named by hostile input must not hang the reader; it is refused instead.
class TRegularFile
{
public:
    explicit TRegularFile(const QString &fileName)
        : FFd(open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {
        if (FFd < 0) {
            FError = QString::fromLocal8Bit(strerror(errno));
            return;
        }
        if (fstat(FFd, &FInfo) != 0 || !S_ISREG(FInfo.st_mode)) {
            FError = QStringLiteral("not a regular file");
            close(FFd);
            FFd = -1;
            return;
        }
        posix_fadvise(FFd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    ~TRegularFile()
    {
        if (FFd >= 0)
            close(FFd);
    }
    TRegularFile(const TRegularFile &) = delete;
    TRegularFile &operator=(const TRegularFile &) = delete;

    // -1 when the file could not be opened; Error() then says why.
    int Fd() const { return FFd; }
    qint64 Size() const { return qint64(FInfo.st_size); }
    const QString &Error() const { return FError; }

private:
    int FFd;
    struct stat FInfo = {};
    QString FError;
};

} // namespace

QByteArray LoadBytesFromFile(const QString &fileName, qint64 offset, qint64 maxCount)
{
    const TRegularFile file(fileName);
    if (file.Fd() < 0)
        return {};
    const qint64 available = qMax<qint64>(0, file.Size() - qMax<qint64>(0, offset));
    const qint64 count = qMin(available, qMax<qint64>(0, maxCount));
    if (count <= 0)
        return {};
    QByteArray bytes(count, Qt::Uninitialized);
    qint64 done = 0;
    while (done < count) {
        const ssize_t got = pread(file.Fd(), bytes.data() + done, size_t(count - done), offset + done);
        if (got <= 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

bool ReadTextFile(const QString &fileName, TTextFileBytes &text, QString &error)
{
    text = TTextFileBytes();
    const TRegularFile file(fileName);
    if (file.Fd() < 0) {
        error = file.Error();
        return false;
    }
    const int fd = file.Fd();
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
        const ssize_t got = read(fd, bytes.data() + length, size_t(bytes.size() - length));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = QString::fromLocal8Bit(strerror(errno));
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
    struct stat info;
    if (entry.isEmpty() || stat(QFile::encodeName(entry).constData(), &info) != 0)
        return -1;
    return S_ISDIR(info.st_mode) ? 0 : qint64(info.st_size);
}

QString GetStoredFileName(const QString &path)
{
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
    if (path.isEmpty() || IsDriveLetterPath(path))
        return {};
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
