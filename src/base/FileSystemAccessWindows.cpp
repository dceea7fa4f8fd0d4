#include "base/FileSystemAccess.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace {

std::wstring NativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

QString SystemError(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = length > 0 ? QString::fromWCharArray(text, length).trimmed()
                                 : QStringLiteral("system error %1").arg(error);
    LocalFree(text);
    return message;
}

} // namespace

struct TFolderListing::TState
{
    QString Folder;
    HANDLE Find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW Found = {};
    // The first entry comes with the opening of the listing.
    bool Pending = false;
};

TFolderListing::TFolderListing(const QString &folder) : FState(std::make_unique<TState>())
{
    FState->Folder = folder.isEmpty() ? QStringLiteral(".") : folder;
    const QString pattern = (FState->Folder.endsWith(u'/') ? FState->Folder : FState->Folder + u'/') + u'*';
    // The basic information level leaves out the short names nobody asked for.
    FState->Find = FindFirstFileExW(NativePath(pattern).c_str(), FindExInfoBasic, &FState->Found,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    FState->Pending = FState->Find != INVALID_HANDLE_VALUE;
}

TFolderListing::~TFolderListing()
{
    if (FState->Find != INVALID_HANDLE_VALUE)
        FindClose(FState->Find);
}

bool TFolderListing::IsOpen() const
{
    return FState->Find != INVALID_HANDLE_VALUE;
}

// The volume and the file index, which no junction or link changes.
bool TFolderListing::Identity(TFolderIdentity &identity) const
{
    const HANDLE folder = CreateFileW(NativePath(FState->Folder).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(folder, &info);
    CloseHandle(folder);
    if (!known)
        return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool TFolderListing::IsPseudoFileSystem() const
{
    return false;
}

bool TFolderListing::Next(TFolderEntry &entry)
{
    if (FState->Find == INVALID_HANDLE_VALUE)
        return false;
    for (;;) {
        if (!FState->Pending && !FindNextFileW(FState->Find, &FState->Found))
            return false;
        FState->Pending = false;
        const wchar_t *name = FState->Found.cFileName;
        if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0)
            continue;
        entry.Name = QString::fromWCharArray(name);
        // Junctions and links to folders are folders too, entered like the others.
        entry.IsFolder = (FState->Found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return true;
    }
}

struct TReadOnlyFile::TState
{
    HANDLE File = INVALID_HANDLE_VALUE;
};

// Only files on disk are read: a pipe or a device named by hostile input must not hang the reader.
TReadOnlyFile::TReadOnlyFile(const QString &fileName) : FState(std::make_unique<TState>())
{
    const HANDLE file = CreateFileW(NativePath(fileName).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Opening a folder is refused with "access denied"; say what it is instead.
        FError = QFileInfo(fileName).isDir() ? QStringLiteral("not a regular file") : SystemError(error);
        return;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        FError = QStringLiteral("not a regular file");
        CloseHandle(file);
        return;
    }
    FState->File = file;
    FSize = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

TReadOnlyFile::~TReadOnlyFile()
{
    if (FState->File != INVALID_HANDLE_VALUE)
        CloseHandle(FState->File);
}

bool TReadOnlyFile::IsOpen() const
{
    return FState->File != INVALID_HANDLE_VALUE;
}

qint64 TReadOnlyFile::Read(char *buffer, qint64 count, QString &error)
{
    DWORD got = 0;
    const DWORD wanted = DWORD(qMin<qint64>(count, 1 << 30));
    if (!ReadFile(FState->File, buffer, wanted, &got, nullptr)) {
        error = SystemError(GetLastError());
        return -1;
    }
    return got;
}

qint64 TReadOnlyFile::ReadAt(char *buffer, qint64 count, qint64 offset)
{
    qint64 done = 0;
    while (done < count) {
        OVERLAPPED at = {};
        const qint64 position = offset + done;
        at.Offset = DWORD(position);
        at.OffsetHigh = DWORD(position >> 32);
        DWORD got = 0;
        const DWORD wanted = DWORD(qMin<qint64>(count - done, 1 << 30));
        if (!ReadFile(FState->File, buffer + done, wanted, &got, &at) || got == 0)
            break;
        done += got;
    }
    return done;
}

qint64 EntrySize(const QString &path)
{
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (!GetFileAttributesExW(NativePath(path).c_str(), GetFileExInfoStandard, &info))
        return -1;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return 0;
    return (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

namespace {

// The entry the path names, links followed, opened for nothing but its attributes.
HANDLE OpenForAttributes(const QString &path)
{
    return CreateFileW(NativePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

bool FileIdentityOf(const QString &path, TFileIdentity &identity)
{
    const HANDLE file = OpenForAttributes(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known)
        return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool IsStreamEntry(const QString &path)
{
    const HANDLE file = OpenForAttributes(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    return type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

QString StoredEntryName(const QString &path)
{
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileExW(NativePath(path).c_str(), FindExInfoStandard, &found,
                                         FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return QString();
    FindClose(find);
    return QString::fromWCharArray(found.cFileName);
}

QString ResolveDrivePath(const QString &path)
{
    const QString unified = QDir::fromNativeSeparators(path);
    return QFileInfo::exists(unified) ? unified : QString();
}
