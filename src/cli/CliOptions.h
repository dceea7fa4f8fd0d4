#pragma once
// The command line of quillon-cli: one "report" command with its options, or the help.

#include <QString>
#include <QStringList>

#include <optional>

enum class TReportFormat { Table, Csv, Json };

struct TCliOptions
{
    bool Help = false;
    QString MapFile;
    std::optional<QString> SearchDir; // no compiled unit scan without it
    TReportFormat Format = TReportFormat::Table;
    bool Symbols = false;
    QString OutputFile; // standard output when empty

    // Arguments without the program name. Sets Error and returns nothing on a usage error.
    static std::optional<TCliOptions> Parse(const QStringList &arguments, QString &error);
    static QString HelpText();
};

// Exit codes, documented by the help text.
enum TExitCode {
    ecSuccess = 0,
    ecOutputFailed = 1,
    ecMapUnreadable = 2,
    ecMapMalformed = 3,
    ecUsage = 64,
};
