#include "cli/CliOptions.h"

#include "cli/CommandLine.h"

#include "QuillonVersion.h"

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<TReportFormat> FormatNamed(const QString &name)
{
    if (name == u"table")
        return TReportFormat::Table;
    if (name == u"csv")
        return TReportFormat::Csv;
    if (name == u"json")
        return TReportFormat::Json;
    if (name == u"html")
        return TReportFormat::Html;
    return std::nullopt;
}

// The options every command and the bare program accept.
void AddCommonOptions(TCommandLine &line, TCliOptions &options)
{
    line.AddFlag(u"help"_s, u'h', [&options] { options.Help = true; });
    line.AddFlag(u"version"_s, QChar(), [&options] { options.Version = true; });
}

void AddFormatOption(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"format"_s, QChar(), [&options](const QString &value, QString &error) {
        const auto format = FormatNamed(value);
        if (!format) {
            error = u"unknown format \"%1\": use table, csv, json or html"_s.arg(value);
            return false;
        }
        options.Format = *format;
        return true;
    });
}

void AddGroupByOption(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"group-by"_s, QChar(), [&options](const QString &value, QString &error) {
        if (value != u"address" && value != u"name") {
            error = u"unknown grouping \"%1\": use address or name"_s.arg(value);
            return false;
        }
        options.Grouping = value == u"name" ? TSymbolGrouping::ByName : TSymbolGrouping::ByAddress;
        return true;
    });
}

void AddOutputOption(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"output"_s, u'o', [&options](const QString &value, QString &error) {
        if (value.isEmpty()) {
            error = u"empty file name"_s;
            return false;
        }
        options.OutputFile = value;
        return true;
    });
}

// The one positional argument of a command that reads one MAP file.
void SetOneMapFile(TCommandLine &line, TCliOptions &options, const QString &command)
{
    line.SetPositional([&options, command](const QString &value, QString &error) {
        if (!options.MapFile.isEmpty()) {
            error = u"unexpected argument \"%1\": %2 reads one MAP file"_s.arg(value, command);
            return false;
        }
        options.MapFile = value;
        return true;
    });
}

void AddReportOptions(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"search-dir"_s, QChar(), [&options](const QString &value, QString &) {
        options.SearchDir = value;
        return true;
    });
    AddFormatOption(line, options);
    line.AddFlag(u"symbols"_s, QChar(), [&options] { options.Symbols = true; });
    AddGroupByOption(line, options);
    line.AddOption(u"filter"_s, QChar(), [&options](const QString &value, QString &) {
        options.Filter = value;
        return true;
    });
    AddOutputOption(line, options);
    SetOneMapFile(line, options, u"report"_s);
}

void AddDiffOptions(TCommandLine &line, TCliOptions &options)
{
    AddFormatOption(line, options);
    line.AddFlag(u"symbols"_s, QChar(), [&options] { options.Symbols = true; });
    line.AddFlag(u"all"_s, QChar(), [&options] { options.All = true; });
    AddGroupByOption(line, options);
    AddOutputOption(line, options);
    line.SetPositional([&options](const QString &value, QString &error) {
        if (!options.MapFile.isEmpty()) {
            error = u"unexpected argument \"%1\": diff compares two MAP files"_s.arg(value);
            return false;
        }
        (options.BaselineMapFile.isEmpty() ? options.BaselineMapFile : options.MapFile) = value;
        return true;
    });
}

void AddCheckOptions(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"baseline"_s, QChar(), [&options](const QString &value, QString &) {
        options.BaselineMapFile = value;
        return true;
    });
    for (const QString &name : {u"max-total"_s, u"max-unit"_s, u"max-growth"_s, u"max-unit-growth"_s})
        line.AddOption(name, QChar(), [&options, name](const QString &value, QString &error) {
            const std::optional<TSizeBudget> budget =
                ParseBudget(name, value, u"--%1 %2"_s.arg(name, value), error);
            if (budget)
                options.Budgets.push_back(*budget);
            return budget.has_value();
        });
    line.AddOption(u"budgets"_s, QChar(), [&options](const QString &value, QString &) {
        options.BudgetsFile = value;
        return true;
    });
    SetOneMapFile(line, options, u"check"_s);
}

// Combinations that each option allows alone.
bool CheckReportOptions(const TCliOptions &options, QString &error)
{
    if (options.MapFile.isEmpty()) {
        error = u"report needs a MAP file (try --help)"_s;
        return false;
    }
    if (options.Symbols && options.Format == TReportFormat::Csv) {
        error = u"--symbols cannot be used with --format csv: csv has no trees (use table, json or html)"_s;
        return false;
    }
    return true;
}

bool CheckDiffOptions(const TCliOptions &options, QString &error)
{
    if (options.MapFile.isEmpty()) {
        error = u"diff needs the old and the new MAP file (try --help)"_s;
        return false;
    }
    if (options.Format == TReportFormat::Html) {
        error = u"diff has no html format: use table, csv or json"_s;
        return false;
    }
    if (options.Symbols && options.Format == TReportFormat::Csv) {
        error = u"--symbols cannot be used with --format csv: csv has one row per unit (use table or json)"_s;
        return false;
    }
    return true;
}

bool CheckCheckOptions(const TCliOptions &options, QString &error)
{
    if (options.MapFile.isEmpty()) {
        error = u"check needs a MAP file (try --help)"_s;
        return false;
    }
    if (options.Budgets.empty() && options.BudgetsFile.isEmpty()) {
        error =
            u"check needs a budget: --max-total, --max-unit, --max-growth, --max-unit-growth or --budgets"_s;
        return false;
    }
    for (const TSizeBudget &budget : options.Budgets) {
        if (budget.NeedsBaseline() && options.BaselineMapFile.isEmpty()) {
            error = u"%1 needs --baseline OLD.map"_s.arg(budget.Origin);
            return false;
        }
    }
    return true;
}

// A command: its name, the options it adds to the common ones, and the check of their combination.
struct TCommand
{
    const char16_t *Name;
    TCliCommand Command;
    void (*AddOptions)(TCommandLine &line, TCliOptions &options);
    bool (*Check)(const TCliOptions &options, QString &error);
};

const TCommand Commands[] = {
    {u"report", TCliCommand::Report, AddReportOptions, CheckReportOptions},
    {u"diff", TCliCommand::Diff, AddDiffOptions, CheckDiffOptions},
    {u"check", TCliCommand::Check, AddCheckOptions, CheckCheckOptions},
};

} // namespace

std::optional<TCliOptions> TCliOptions::Parse(const QStringList &arguments, QString &error)
{
    TCliOptions options;
    if (arguments.isEmpty()) {
        error = u"missing command (try --help)"_s;
        return std::nullopt;
    }

    TCommandLine line;
    AddCommonOptions(line, options);
    const QString &first = arguments.first();
    const TCommand *command = nullptr;
    for (const TCommand &candidate : Commands)
        if (first == QStringView(candidate.Name))
            command = &candidate;
    if (command) {
        options.Command = command->Command;
        command->AddOptions(line, options);
    } else if (first == u"help") {
        options.Help = true;
    } else if (!first.startsWith(u'-')) {
        error = u"unknown command \"%1\" (try --help)"_s.arg(first);
        return std::nullopt;
    }
    // Without a command the options are the program's own (--help, --version).
    const QStringList rest = first.startsWith(u'-') ? arguments : arguments.mid(1);
    if (!line.Parse(rest, error))
        return std::nullopt;
    if (options.Help || options.Version)
        return options;
    if (!command) {
        error = u"missing command (try --help)"_s;
        return std::nullopt;
    }
    if (!command->Check(options, error))
        return std::nullopt;
    return options;
}

QString TCliOptions::VersionText()
{
    return u"quillon-cli %1.%2.%3\n"_s.arg(QUILLON_VERSION_MAJOR)
        .arg(QUILLON_VERSION_MINOR)
        .arg(QUILLON_VERSION_PATCH);
}

QString TCliOptions::HelpText()
{
    return uR"(Usage: quillon-cli report MAPFILE [--search-dir DIR] [--format table|csv|json|html]
                          [--symbols] [--group-by address|name] [--filter TEXT] [-o FILE]
       quillon-cli diff OLD.map NEW.map [--symbols] [--format table|csv|json] [--all]
                        [--group-by address|name] [-o FILE]
       quillon-cli check MAPFILE [--baseline OLD.map] [--max-total SIZE]
                         [--max-unit PATTERN=SIZE]... [--max-growth SIZE|PCT]
                         [--max-unit-growth SIZE|PCT] [--budgets FILE]
       quillon-cli --help | --version

report: how much compiled code each unit of a Delphi project contributes, read from the
linker's detailed MAP file. The analysis is the one of the desktop program: the project file
(.dpr) is searched from the MAP file's folder upwards and its folder becomes the current one,
bound form resources (.dfm) are sized, and compiled unit files (.dcu) are looked for below
--search-dir (no scan without it). Units are listed by compiled size, largest first; units of
equal size keep their MAP order.

A MAP file named on the command line may also be the project (.dpr) or the executable: the MAP
file of the same name is looked for beside it, then in Win32/Debug, Win32/Release, Win64/Debug
and Win64/Release below its folder; the one used is named on standard error.

  --search-dir DIR   scan DIR and its sub-folders for *.dcu files (the "Ratio DCU size" column);
                     pseudo file systems (/proc, /sys...) are not entered, and each folder is
                     listed once however many links lead to it
  --format FORMAT    table (default, for people), csv, json or html
  --symbols          add each unit's symbol tree (namespaces, classes, routines with sizes),
                     in display order, as opening the unit's row in the grid shows it
                     (table and json; html always has them; csv has no trees)
  --group-by GROUPING
                     address (default): the public symbols that lie in the unit's code, the
                     bytes before the first of them as "[no public symbol]", adding up to the
                     unit's code size; name: the symbols whose name begins with the unit's name
                     (compilers up to Delphi 2005 write names without their unit)
  --filter TEXT      the rows the window's filter shows for TEXT: the units whose names
                     contain it, ignoring case, and the units holding symbol rows whose names
                     contain it; with --symbols (and in html) each unit's tree keeps only the
                     matching rows, the rows holding them and everything below a matching
                     row (a matching unit keeps its whole tree); "[no public symbol]" and
                     "< MetaData >" rows stand for no name and never match
  -o, --output FILE  write the report to FILE instead of standard output

  csv:   the header unit,code_size,percent,dfm_size,dcu_size,ratio, then one row per unit:
         its name (quoted where needed), code size in bytes, percentage of the total code with
         two decimals, form resource size (0 when none), compiled unit file size (0 when none)
         and the ratio of the two sizes as the grid shows it ("-" without a .dcu file).
  json:  {"map", "code_segment_length", "total_code_size", "units": [{"name", "code_size",
         "percent", "dfm_size", "dcu_size", "ratio", "symbols": [{"name", "size",
         "children": [...]}]}]}; "symbols" only with --symbols.
  html:  one page that works offline in any browser: a treemap to zoom into, the table of units
         that open into their symbol trees, and a search over every name; the json report with
         symbols is embedded in it.
  table: aligned columns with thousands separators and a total line; with --symbols each
         unit's tree is indented below it.

diff: what changed from one build to the next. Units are matched by name ignoring letter case;
a unit of one build only has size 0 in the other. Every unit is listed, largest absolute change
first, ties by name; its status is added, removed, grown, shrunk or unchanged. Symbols are
matched by their path in the unit's tree ("TFoo.Create"); overloads of one name are summed.

  --symbols          add each unit's changed symbols, in the same order (table and json only)
  --format FORMAT    table (default), csv or json
  --all              table: list the unchanged units too
  --group-by GROUPING  how each unit's tree is built, as for report (address by default)
  -o, --output FILE  write to FILE instead of standard output

  csv:   the header unit,old_size,new_size,delta,status, then one row per unit.
  json:  {"old", "new", "old_total", "new_total", "delta", "units": [{"name", "old_size",
         "new_size", "delta", "status", "symbols": [{"name", "old_size", "new_size",
         "delta"}]}]}; "symbols" only with --symbols. A name is spelled as in the new build
         (as in the old one for removed units).
  table: the changed units with signed changes and a total line; with --symbols their changed
         symbols indented below them.

check: holds the build to size budgets, for build pipelines. Each broken budget prints one
line naming the budget, its limit and the actual value; a last line counts them.

  --baseline OLD.map          the build to measure growth against (the growth budgets need it)
  --max-total SIZE            the total code size
  --max-unit PATTERN=SIZE     every unit whose name matches PATTERN ("*" any text, "?" one
                              character, letter case ignored: "Vcl.*=400K"); may be repeated,
                              as may every budget
  --max-growth SIZE|PCT       growth of the total code size; PCT of the baseline's total
  --max-unit-growth SIZE|PCT  growth of each unit; PCT of the unit's old size (a unit new in
                              this build is held by SIZE limits only)
  --budgets FILE              budgets from FILE: one per line, written as the option without
                              its dashes ("max-unit Vcl.*=400K"); "#" begins a comment

  SIZE is bytes with an optional K, M or G (1024-based, any case, decimals allowed: "1.5M");
  PCT is a number followed by "%".

  -h, --help         this text
  --version          the program's name and version
Options take their value as "--option value" or "--option=value"; "--" ends the options.

Messages go to standard error: errors, and warnings that leave the report valid (no project
file found, several .dcu files of one unit below DIR). While DIR is scanned, a progress line
counts folders and files when standard error is a terminal.

Getting a detailed MAP file from Delphi:
  Project Options > Linking > Map file: choose "Detailed" (the page is called Linker in old
  versions), then build the project again. The MAP file is written beside the executable.
  A MAP file with the segments only, or a file that is not a MAP file, lists no code units:
  the run then fails with exit code 3.

Exit codes:
  0   success (a missing project file and several .dcu files of one unit are only warnings);
      diff: also when the builds differ; check: every budget holds
  1   report, diff: the output could not be written; check: a budget is broken
  2   a MAP file (or the project file, or the budgets file) does not exist or cannot be read,
      no MAP file was found for the project or executable named, or the search folder does
      not exist or is not a folder
  3   a MAP file is malformed (the message names the line) or is not a detailed MAP file
  64  usage error: an unknown option, a bad size, a bad line of the budgets file
)"_s;
}
