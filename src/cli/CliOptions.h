#pragma once
// The command line of quillon-cli: a command ("report", "diff" or "check") with its options, or the
// help or the version.

#include "analysis/SymbolGrouping.h"
#include "cli/SizeBudgets.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

enum class TCliCommand { None, Report, Diff, Check };

enum class TReportFormat { Table, Csv, Json, Html };

struct TCliOptions
{
    TCliCommand Command = TCliCommand::None;
    bool Help = false;
    bool Version = false;
    QString MapFile;                  // report and check: the MAP file; diff: the new build's
    QString BaselineMapFile;          // diff: the old build's; check: --baseline (empty without)
    std::optional<QString> SearchDir; // report: no compiled unit scan without it
    TReportFormat Format = TReportFormat::Table;
    bool Symbols = false;
    TSymbolGrouping Grouping = TSymbolGrouping::ByAddress; // report and diff: how a unit's tree is built
    QString Filter;                                        // report: --filter (empty: every unit)
    bool All = false;                                      // diff: unchanged units in the table too
    QString OutputFile;                                    // standard output when empty
    std::vector<TSizeBudget> Budgets;                      // check: those given as options, in their order
    QString BudgetsFile;                                   // check: --budgets (empty without)

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
    ecBudgetBroken = 1,
    ecMapUnreadable = 2, // also: no MAP file found for a project or executable, an unusable search folder
    ecMapMalformed = 3,  // also: not a detailed MAP file
    ecUsage = 64,
};
