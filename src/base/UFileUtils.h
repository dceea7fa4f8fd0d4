#pragma once
// Stateless file-system routines: recursive enumeration with a mask and an abortable progress
// callback, whole-file loading, file sizes, stored names, and the resolution of the Windows paths
// that MAP and project files carry.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class TXStringList;

// Called with the folder (ending with "/") and an abort flag initialised to false: once per folder,
// before it is listed, where setting the flag skips that folder; and again after every 1024 entries
// of a large one, where setting it stops the descent below that folder while its files are still
// listed.
using TCollectFilesProgressEvent = std::function<void(const QString &folder, bool &abort)>;

// What a walk has done so far, for a progress display.
struct TCollectFilesCounts
{
    qint64 Folders = 0; // folders entered
    qint64 Files = 0;   // files that matched the mask
};

// Appends to `list` the full path of every file below `folder` whose name matches `mask`, depth
// first, in the order the file system delivers the entries. A folder given without its final
// separator is listed as if it had one; an empty folder means the current one (relative names).
// Each folder is entered at most once per call, however many links lead to it, and pseudo file
// systems (proc, sysfs, cgroup, the device file system...) are not entered at all: their trees are
// endless or loop back, and they hold no files of a project. `counts`, when given, is kept up to
// date during the walk.
void CollectFiles(const QString &folder, const QString &mask, TXStringList &list, bool recurse,
                  const TCollectFilesProgressEvent &progress = {}, TCollectFilesCounts *counts = nullptr);
// The files that match any of `masks`, in one walk.
void CollectFiles(const QString &folder, const QStringList &masks, TXStringList &list, bool recurse,
                  const TCollectFilesProgressEvent &progress = {}, TCollectFilesCounts *counts = nullptr);

// The file mask rules: "*" any run of characters, "?" any one, "[...]" a set or range ("[!...]"
// negated); the letters A to Z match without regard to case.
class TFileMask
{
public:
    explicit TFileMask(const QString &mask);
    bool Matches(const QString &name) const;

private:
    QString FMask;
};

// A text file's bytes as ReadTextFile reads them.
struct TTextFileBytes
{
    QByteArray Bytes;
    // A NUL byte ended the text before the end of the file.
    bool EndsAtNul = false;
};
// Reads a text file to its end or, unless it begins as UTF-16 or UTF-32, to its first NUL byte, so
// that a binary or sparse file is read only that far. Only regular files are read, opened without
// blocking. Returns false with the reason in `error` when the file cannot be read.
bool ReadTextFile(const QString &fileName, TTextFileBytes &text, QString &error);
// A stream named by the user (a pipe, process substitution's /dev/fd path, a device; standard input
// when `fileName` is empty) read once to its end, without the NUL test of a text file. Refuses more
// than `maxSize` bytes. Returns false with the reason in `error` when it cannot be read.
bool ReadStream(const QString &fileName, QByteArray &bytes, qint64 maxSize, QString &error);
// At most `maxCount` bytes of a regular file from `offset`; empty when it cannot be opened.
QByteArray LoadBytesFromFile(const QString &fileName, qint64 offset = 0, qint64 maxCount = INT32_MAX);
// The file's text decoded with encoding detection (the ANSI code page as fallback); line breaks kept.
QString LoadTextFromFile(const QString &fileName);
// Size in bytes of the first entry the path names (wildcards allowed in the last component); a folder
// gives 0, no entry -1.
qint64 FileSizeByName(const QString &path);
// The path's folder part unchanged followed by the file's name as stored; the path unchanged when
// no file is found.
QString GetStoredFileName(const QString &path);

// A path read from a Windows input file, as it exists here: "\" and "/" both separate, a component
// that does not exist as written is matched ignoring letter case, and a drive-letter path resolves
// on Windows only (elsewhere it names nothing). Relative paths resolve against the current folder
// and stay relative. Empty when missing.
QString ResolveWindowsPath(const QString &path);
