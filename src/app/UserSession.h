#pragma once
// Who runs the program, where, and the system's folders: the user session section of a crash report.

#include <QString>

struct TUserSession
{
    QString UserName;
    QString ComputerName;
    // The domain of the user's account; empty when unknown.
    QString DomainName;
    bool Remote = false;
    // The remote client's computer name or address, when the session tells it.
    QString RemoteClient;
    // Each with its trailing separator.
    QString WindowsFolder;
    QString SystemFolder;
    QString TempFolder;
    QString ProgramFilesFolder;
};

TUserSession CurrentUserSession();
