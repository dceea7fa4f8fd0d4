#include "base/FileSystemAccess.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

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

QString SystemError(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

} // namespace

struct TFolderListing::TState
{
    DIR *Dir = nullptr;
    struct stat Own = {};
    bool Stated = false;
};

TFolderListing::TFolderListing(const QString &folder) : FState(std::make_unique<TState>())
{
    FState->Dir = opendir(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (FState->Dir)
        FState->Stated = fstat(dirfd(FState->Dir), &FState->Own) == 0;
}

TFolderListing::~TFolderListing()
{
    if (FState->Dir)
        closedir(FState->Dir);
}

bool TFolderListing::IsOpen() const
{
    return FState->Dir != nullptr;
}

bool TFolderListing::Identity(TFolderIdentity &identity) const
{
    if (!FState->Stated)
        return false;
    identity = {quint64(FState->Own.st_dev), 0, quint64(FState->Own.st_ino)};
    return true;
}

bool TFolderListing::IsPseudoFileSystem() const
{
    static const dev_t deviceFileSystem = DeviceFileSystem();
    if (!FState->Dir)
        return false;
    if (FState->Stated && FState->Own.st_dev == deviceFileSystem)
        return true;
    struct statfs info;
    return fstatfs(dirfd(FState->Dir), &info) == 0 && IsPseudoFileSystemType(info.f_type);
}

bool TFolderListing::Next(TFolderEntry &entry)
{
    if (!FState->Dir)
        return false;
    while (const dirent *found = readdir(FState->Dir)) {
        const char *name = found->d_name;
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
            continue;
        entry.Name = QFile::decodeName(name);
        if (found->d_type == DT_DIR) {
            entry.IsFolder = true;
        } else if (found->d_type != DT_LNK && found->d_type != DT_UNKNOWN) {
            entry.IsFolder = false;
        } else {
            // Links are followed like any other entry; a dangling one is a file that no mask lists
            // harmfully.
            struct stat target;
            entry.IsFolder = fstatat(dirfd(FState->Dir), name, &target, 0) == 0 && S_ISDIR(target.st_mode);
        }
        return true;
    }
    return false;
}

struct TReadOnlyFile::TState
{
    int Fd = -1;
};

// The open does not block: a FIFO or device named by hostile input must not hang the reader; it is
// refused instead.
TReadOnlyFile::TReadOnlyFile(const QString &fileName) : FState(std::make_unique<TState>())
{
    const int fd = open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        FError = SystemError(errno);
        return;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        FError = QStringLiteral("not a regular file");
        close(fd);
        return;
    }
    // Small files are read in a call or two, for which the advice would cost a call of its own.
    constexpr off_t AdvisedSize = 1 << 20;
    if (info.st_size > AdvisedSize)
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    FState->Fd = fd;
    FSize = qint64(info.st_size);
}

TReadOnlyFile::~TReadOnlyFile()
{
    if (FState->Fd >= 0)
        close(FState->Fd);
}

bool TReadOnlyFile::IsOpen() const
{
    return FState->Fd >= 0;
}

qint64 TReadOnlyFile::Read(char *buffer, qint64 count, QString &error)
{
    for (;;) {
        const ssize_t got = read(FState->Fd, buffer, size_t(count));
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            error = SystemError(errno);
            return -1;
        }
    }
}

qint64 TReadOnlyFile::ReadAt(char *buffer, qint64 count, qint64 offset)
{
    qint64 done = 0;
    while (done < count) {
        const ssize_t got = pread(FState->Fd, buffer + done, size_t(count - done), offset + done);
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

qint64 EntrySize(const QString &path)
{
    struct stat info;
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return S_ISDIR(info.st_mode) ? 0 : qint64(info.st_size);
}

bool FileIdentityOf(const QString &path, TFileIdentity &identity)
{
    struct stat info;
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    identity = {quint64(info.st_dev), 0, quint64(info.st_ino)};
    return true;
}

bool IsStreamEntry(const QString &path)
{
    struct stat info;
    return stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode) &&
           !S_ISDIR(info.st_mode);
}

QString ResolveDrivePath(const QString &)
{
    // No drive letters here: the file is missing.
    return {};
}
