#pragma once
// Hands a crash report to the user's mail program: a Mozilla-family mailer gets a compose request
// with the report attached, any other handler a "mailto:" address.

#include <QString>

extern const QString CrashReportSupportAddress;

// The command that opens "mailto:" addresses, or empty when there is none: on Windows the registry's
// "mailto\shell\open\command", elsewhere the Exec line of the desktop file that xdg-mime names as the
// default handler.
QString DefaultMailCommand();

// The program of a command: everything before the first blank, or the text between a leading double
// quote and the first double quote followed by a blank. Without a "%" it is lower-cased.
QString MailProgramFromCommand(const QString &command);
bool IsMozillaMailer(const QString &program);

QString ComposeParameter(const QString &exceptionClass, const QString &message, const QString &reportFile);
QString MailtoAddress(const QString &exceptionClass, const QString &message, const QString &reportFile);

// Starts the mailer or opens the address; waits for the report dialog to be on screen again.
void SendCrashReport(const QString &exceptionClass, const QString &message, const QString &reportFile);
