#pragma once
// Set-up of the crash handling, and what happens to an exception nobody handled: it is logged, a
// report is written to the temporary folder and shown, and the process ends with exit code 1.

#include <QByteArray>
#include <QString>

#include <exception>

// True for the sibling helper tools of the same maker, which log neither start nor end.
bool IsHelperProcess();
// True when the executable's lower-cased full path contains the text.
bool ExecutablePathContains(const QString &text);

// Start-up: the error log, the "Application Startup" line and the application-wide exception handler;
// nothing at all when running from inside the development environment.
void InitCrashTools();
// Shut-down: the "Application Shutdown" line and the removal of the handler.
void FinalizeCrashTools();

// The report as written to "report.xml": the exception's section first, then the standard ones.
QByteArray CrashReportXML(const std::exception_ptr &exception);
QString CrashReportFileName();

void HandleApplicationException(const std::exception_ptr &exception);
// Writes the report, shows the report dialog and, when endProcess is true, ends the process with
// exit code 1: a crash must not look like success to whoever started the program.
void CreateCrashReport(const std::exception_ptr &exception, bool endProcess);
