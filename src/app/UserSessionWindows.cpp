#include "app/UserSession.h"

#include <QSettings>

#include <windows.h>
#include <wtsapi32.h>

#include <vector>

namespace {

QString WithTrailingBackslash(const QString &folder)
{
    return folder.isEmpty() || folder.endsWith(u'\\') ? folder : folder + u'\\';
}

// Long form: a temporary folder may be given as "C:\Users\ADMINI~1\...".
QString LongPath(const QString &path)
{
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    const std::wstring shortPath = path.toStdWString();
    DWORD length = GetLongPathNameW(shortPath.c_str(), buffer.data(), DWORD(buffer.size()));
    if (length > buffer.size()) {
        buffer.resize(length);
        length = GetLongPathNameW(shortPath.c_str(), buffer.data(), DWORD(buffer.size()));
    }
    return length == 0 || length > buffer.size() ? path : QString::fromWCharArray(buffer.data(), length);
}

QString UserName()
{
    wchar_t name[256 + 1];
    DWORD size = DWORD(std::size(name));
    return GetUserNameW(name, &size) ? QString::fromWCharArray(name) : qEnvironmentVariable("USERNAME");
}

QString ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = DWORD(std::size(name));
    return GetComputerNameW(name, &size) ? QString::fromWCharArray(name, size) : QString();
}

// The domain that holds the user's account, as the account's name is looked up.
QString AccountDomain(const QString &user)
{
    const std::wstring account = user.toStdWString();
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use;
    LookupAccountNameW(nullptr, account.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (sidSize == 0 || domainSize == 0)
        return QString();
    std::vector<BYTE> sid(sidSize);
    std::vector<wchar_t> domain(domainSize);
    if (!LookupAccountNameW(nullptr, account.c_str(), sid.data(), &sidSize, domain.data(), &domainSize, &use))
        return QString();
    return QString::fromWCharArray(domain.data());
}

QString RemoteClientName()
{
    wchar_t *name = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSClientName, &name,
                                     &bytes))
        return QString();
    const QString client = QString::fromWCharArray(name);
    WTSFreeMemory(name);
    return client;
}

template <typename Call> QString SystemFolder(Call call)
{
    wchar_t folder[MAX_PATH + 1];
    const UINT length = call(folder, UINT(std::size(folder)));
    return length == 0 || length > MAX_PATH
               ? QString()
               : WithTrailingBackslash(QString::fromWCharArray(folder, int(length)));
}

} // namespace

TUserSession CurrentUserSession()
{
    TUserSession session;
    session.UserName = UserName();
    session.ComputerName = ComputerName();
    session.DomainName = AccountDomain(session.UserName);
    session.Remote = GetSystemMetrics(SM_REMOTESESSION) != 0;
    session.RemoteClient = session.Remote ? RemoteClientName() : QString();
    session.WindowsFolder = SystemFolder(GetWindowsDirectoryW);
    session.SystemFolder = SystemFolder(GetSystemDirectoryW);
    wchar_t temp[MAX_PATH + 2];
    const DWORD tempLength = GetTempPathW(DWORD(std::size(temp)), temp);
    session.TempFolder =
        tempLength == 0 ? QString()
                        : WithTrailingBackslash(LongPath(QString::fromWCharArray(temp, int(tempLength))));
    const QSettings versionKey(
        QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"),
        QSettings::NativeFormat);
    const QString programFiles = versionKey.value(QStringLiteral("ProgramFilesDir")).toString();
    session.ProgramFilesFolder =
        programFiles.isEmpty() ? QString() : WithTrailingBackslash(LongPath(programFiles));
    return session;
}
