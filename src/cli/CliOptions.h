#pragma once
// The command line of quillon-cli: a command with its options, or the help or the version.

#include "analysis/SymbolGrouping.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class TCliCommand { None, Report };

enum class TReportFormat { Table, Csv, Json, Html };

struct TCliOptions
{
    TCliCommand Command = TCliCommand::None;
    bool Help = false;
    bool Version = false;
    QString MapFile;
    std::optional<QString> SearchDir; // no compiled unit scan without it
    TReportFormat Format = TReportFormat::Table;
    bool Symbols = false;
    TSymbolGrouping Grouping = TSymbolGrouping::ByAddress;
    QString OutputFile; // standard output when empty

    // Arguments without the program name. Sets Error and returns nothing on a usage error.
    static std::optional<TCliOptions> Parse(const QStringList &arguments, QString &error);
    static QString HelpText();
    // The program's name and version, as --version prints it.
    static QString VersionText();
};

// Exit codes, documented by the help text.
enum TExitCode {
    ecSuccess = 0,
    ecOutputFailed = 1,
    ecMapUnreadable = 2, // also: no MAP file found for a project or executable, an unusable search folder
    ecMapMalformed = 3,  // also: not a detailed MAP file
    ecUsage = 64,
};
