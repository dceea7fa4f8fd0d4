#include "app/UserSession.h"

#include <QDir>
#include <QSysInfo>

#include <netdb.h>
#include <pwd.h>
#include <unistd.h>

namespace {

QString LoginName()
{
    const passwd *entry = getpwuid(getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : qEnvironmentVariable("USER");
}

// The DNS domain of this machine: its canonical name without the first label.
QString DomainName()
{
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    addrinfo *found = nullptr;
    if (getaddrinfo(QSysInfo::machineHostName().toLocal8Bit().constData(), nullptr, &hints, &found) != 0)
        return QString();
    const QString canonical = found->ai_canonname ? QString::fromLocal8Bit(found->ai_canonname) : QString();
    freeaddrinfo(found);
    const qsizetype dot = canonical.indexOf(u'.');
    return dot < 0 ? QString() : canonical.mid(dot + 1);
}

// The remote client of this session: the SSH client's address, or the host of a non-local display.
QString RemoteClient()
{
    for (const char *variable : {"SSH_CONNECTION", "SSH_CLIENT"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value.section(u' ', 0, 0);
    }
    const QString display = qEnvironmentVariable("DISPLAY");
    const QString host = display.section(u':', 0, 0);
    return host.isEmpty() || host == QStringLiteral("localhost") || host == QStringLiteral("unix") ? QString()
                                                                                                   : host;
}

QString WithTrailingSeparator(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

TUserSession CurrentUserSession()
{
    TUserSession session;
    session.UserName = LoginName();
    session.ComputerName = QSysInfo::machineHostName();
    session.DomainName = DomainName();
    session.RemoteClient = RemoteClient();
    session.Remote = !session.RemoteClient.isEmpty();
    session.WindowsFolder = QDir::rootPath();
    session.SystemFolder = QStringLiteral("/usr/bin/");
    session.TempFolder = WithTrailingSeparator(QDir::tempPath());
    session.ProgramFilesFolder = QStringLiteral("/usr/");
    return session;
}
