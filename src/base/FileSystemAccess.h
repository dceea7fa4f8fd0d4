#pragma once
// The calls into the file system that differ from one system to another, beneath UFileUtils:
// listing a folder, knowing a folder again whatever path led to it, and reading regular files
// without ever blocking on a pipe or a device.

#include <QString>
#include <QtGlobal>

#include <compare>
#include <memory>

// One folder, the same however many paths or links lead to it.
struct TFolderIdentity
{
    quint64 Volume = 0;
    quint64 IndexHigh = 0;
    quint64 IndexLow = 0;
    auto operator<=>(const TFolderIdentity &) const = default;
};

struct TFolderEntry
{
    QString Name;
    // A folder, or a link to one.
    bool IsFolder = false;
};

// The entries of one folder in the order the file system delivers them, "." and ".." left out.
class TFolderListing
{
public:
    // An empty name lists the current folder.
    explicit TFolderListing(const QString &folder);
    ~TFolderListing();
    TFolderListing(const TFolderListing &) = delete;
    TFolderListing &operator=(const TFolderListing &) = delete;

    bool IsOpen() const;
    // False when the system cannot tell.
    bool Identity(TFolderIdentity &identity) const;
    // The kernel's views of itself (proc, sysfs, the device file system...), endless or looping.
    bool IsPseudoFileSystem() const;
    bool Next(TFolderEntry &entry);

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

// A regular file opened for reading; anything else (a folder, pipe or device) is refused.
class TReadOnlyFile
{
public:
    explicit TReadOnlyFile(const QString &fileName);
    ~TReadOnlyFile();
    TReadOnlyFile(const TReadOnlyFile &) = delete;
    TReadOnlyFile &operator=(const TReadOnlyFile &) = delete;

    bool IsOpen() const;
    // Why the file is not open.
    const QString &Error() const { return FError; }
    qint64 Size() const { return FSize; }
    // The next bytes: their count, 0 at the end, -1 on an error (then in `error`).
    qint64 Read(char *buffer, qint64 count, QString &error);
    // Bytes from `offset`, as many as there are: their count, or -1 on an error.
    qint64 ReadAt(char *buffer, qint64 count, qint64 offset);

private:
    struct TState;
    std::unique_ptr<TState> FState;
    qint64 FSize = 0;
    QString FError;
};

// The size of what the path names: a folder gives 0, nothing -1.
qint64 EntrySize(const QString &path);

// One file, the same whatever path, symbolic link or hard link names it.
struct TFileIdentity
{
    quint64 Volume = 0;
    quint64 IndexHigh = 0;
    quint64 IndexLow = 0;
    auto operator<=>(const TFileIdentity &) const = default;
};
// The identity of what the path names, links followed; false when nothing is there or the system
// cannot tell.
bool FileIdentityOf(const QString &path, TFileIdentity &identity);
// True when the path names, links followed, something that is neither a regular file nor a folder:
// a pipe, a socket or a device. Such a file can be read only once, as a stream, and cannot be
// replaced by a rename.
bool IsStreamEntry(const QString &path);

#ifdef Q_OS_WIN
// The name of the entry the path names as the file system stores it (its letter case, its long
// form); empty when there is none.
QString StoredEntryName(const QString &path);
#endif

// A path with a drive letter ("C:\Lib\Dlg.dfm") as it exists here; empty when it cannot.
QString ResolveDrivePath(const QString &path);
