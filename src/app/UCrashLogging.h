#pragma once
// The log targets of the program and the error log file writer. Failures of logging are silent.

#include <QString>
#include <QStringList>

#include <exception>
#include <functional>

using TLogRequestProcedure =
    std::function<void(const QString &category, const QString &text, const QString &data)>;

void RegisterLogProcedure(TLogRequestProcedure procedure);
// Calls every registered target, in registration order.
void LogRequest(const QString &category, const QString &text, const QString &data);
// Forgets the targets and the log file name (shut-down).
void ClearLogTargets();

void SetLogFileName(const QString &path);
QString LogFileName();
// Appends "dd/mm/yy - hh:nn:ss - <executable> - <category> - <text>[ - <data>]" and CR LF to the log
// file, in the ANSI code page.
void LogToFile(const QString &category, const QString &text, const QString &data);

// True when "dummy.log" can be written in the folder (an existing one must open for read-write).
bool IsFolderWritable(const QString &folder);

struct TErrorLogFolder
{
    QString Folder;    // with a trailing separator
    QString ErrorText; // set when the configured folder was refused
};
// The configured folder when it is writable, else the first writable fallback, else the last one.
TErrorLogFolder ChooseErrorLogFolder(const QString &configured, const QStringList &fallbacks);
// Chooses the log file from the machine-wide "ErrorLogPath" setting and registers LogToFile.
void InitErrorLog();

void LogError(const QString &text, const QString &data);
void LogMessage(const QString &text, const QString &data);
void LogException(const std::exception_ptr &exception, const QString &extra);
