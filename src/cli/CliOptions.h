#pragma once
// The command line of quillon-cli: a command ("report", "diff" or "check") with its options, or the
// help or the version.

#include "analysis/SymbolGrouping.h"
#include "cli/SizeBudgets.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

enum class TCliCommand { None, Report, Diff, Check, Why, Uses, Graph };

// The formats a command may write; each command accepts some of them. Table is check's text.
enum class TReportFormat { Table, Csv, Json, Html, Markdown, Dot };

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
    bool Wide = false;                                     // report and diff tables: names never cut
    // report: an incomplete MAP file fails the run; check: a budget matching no unit fails it.
    bool Strict = false;
    QString OutputFile;               // standard output when empty or "-"
    std::vector<TSizeBudget> Budgets; // check: those given as options, in their order
    QString BudgetsFile;              // check: --budgets (empty without)
    QString UnitName;                 // why: the unit asked about
    int Paths = 3;                    // why: --paths, how many chains at most
    bool Retained = false;            // report: --retained
    QString Exe;            // report, check, why, graph: --exe FILE or "none"; empty: the executable beside the MAP
    bool WholeFile = false; // report: --file, the whole executable's tree instead of the unit table
    int Depth = 0;          // report: --depth, the levels of that tree shown (0: every level)

    // --exe none: no executable is read, not even the one beside the MAP file.
    bool ExecutableSwitchedOff() const { return Exe.compare(u"none", Qt::CaseInsensitive) == 0; }

    // Arguments without the program name. Sets Error and returns nothing on a usage error.
    static std::optional<TCliOptions> Parse(const QStringList &arguments, QString &error);
    // The help of one command, or of the whole program (every command) for None. Lines fit 80
    // columns; the manual page is made from the whole program's.
    static QString HelpText(TCliCommand Command = TCliCommand::None);
    // The program's name and version, as --version prints it.
    static QString VersionText();
};

// Exit codes, documented by the help text.
enum TExitCode {
    ecSuccess = 0,
    ecOutputFailed = 1,
    ecBudgetBroken = 1,
    ecMapUnreadable = 2, // also: no MAP file found for a project or executable, an unusable search folder
    ecMapMalformed = 3,  // also: not a detailed MAP file, a malformed executable
    ecUsage = 64,
};
