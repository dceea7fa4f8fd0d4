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

void AddReportOptions(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"search-dir"_s, QChar(), [&options](const QString &value, QString &) {
        options.SearchDir = value;
        return true;
    });
    line.AddOption(u"format"_s, QChar(), [&options](const QString &value, QString &error) {
        const auto format = FormatNamed(value);
        if (!format) {
            error = u"unknown format \"%1\": use table, csv, json or html"_s.arg(value);
            return false;
        }
        options.Format = *format;
        return true;
    });
    line.AddFlag(u"symbols"_s, QChar(), [&options] { options.Symbols = true; });
    line.AddOption(u"group-by"_s, QChar(), [&options](const QString &value, QString &error) {
        if (value != u"address" && value != u"name") {
            error = u"unknown grouping \"%1\": use address or name"_s.arg(value);
            return false;
        }
        options.Grouping = value == u"name" ? TSymbolGrouping::ByName : TSymbolGrouping::ByAddress;
        return true;
    });
    line.AddOption(u"output"_s, u'o', [&options](const QString &value, QString &error) {
        if (value.isEmpty()) {
            error = u"empty file name"_s;
            return false;
        }
        options.OutputFile = value;
        return true;
    });
    line.SetPositional([&options](const QString &value, QString &error) {
        if (!options.MapFile.isEmpty()) {
            error = u"unexpected argument \"%1\": report reads one MAP file"_s.arg(value);
            return false;
        }
        options.MapFile = value;
        return true;
    });
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
                          [--symbols] [--group-by address|name] [-o FILE]
       quillon-cli --help | --version

Reports how much compiled code each unit of a Delphi project contributes, read from the
linker's detailed MAP file. The analysis is the one of the desktop program: the project file
(.dpr) is searched from the MAP file's folder upwards and its folder becomes the current one,
bound form resources (.dfm) are sized, and compiled unit files (.dcu) are looked for below
--search-dir (no scan without it). Units are listed by compiled size, largest first; units of
equal size keep their MAP order.

MAPFILE may also name the project (.dpr) or the executable: the MAP file of the same name is
looked for beside it, then in Win32/Debug, Win32/Release, Win64/Debug and Win64/Release below
its folder; the one used is named on standard error.

Options:
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
  -o, --output FILE  write the report to FILE instead of standard output
  -h, --help         this text
  --version          the program's name and version
Options take their value as "--option value" or "--option=value"; "--" ends the options.

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

Messages go to standard error: errors, and warnings that leave the report valid (no project
file found, several .dcu files of one unit below DIR). While DIR is scanned, a progress line
counts folders and files when standard error is a terminal.

Getting a detailed MAP file from Delphi:
  Project Options > Linking > Map file: choose "Detailed" (the page is called Linker in old
  versions), then build the project again. The MAP file is written beside the executable.
  A MAP file with the segments only, or a file that is not a MAP file, lists no code units:
  the run then fails with exit code 3.

Exit codes:
  0   success (a missing project file and several .dcu files of one unit are only warnings)
  1   the report could not be written
  2   the MAP file (or the project file) does not exist or cannot be read, no MAP file was
      found for the project or executable named, or the search folder does not exist or is
      not a folder
  3   the MAP file is malformed (the message names the line) or is not a detailed MAP file
  64  usage error
)"_s;
}
