#include "cli/CliOptions.h"

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
    return std::nullopt;
}

} // namespace

std::optional<TCliOptions> TCliOptions::Parse(const QStringList &arguments, QString &error)
{
    TCliOptions options;
    if (arguments.isEmpty()) {
        error = u"missing command (try --help)"_s;
        return std::nullopt;
    }
    if (arguments.first() == u"--help" || arguments.first() == u"-h" || arguments.first() == u"help") {
        options.Help = true;
        return options;
    }
    if (arguments.first() != u"report") {
        error = u"unknown command \"%1\" (try --help)"_s.arg(arguments.first());
        return std::nullopt;
    }

    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const auto value = [&](QString &target) {
            if (i + 1 >= arguments.size()) {
                error = u"option %1 needs a value"_s.arg(argument);
                return false;
            }
            target = arguments[++i];
            return true;
        };
        if (argument == u"--help" || argument == u"-h") {
            options.Help = true;
        } else if (argument == u"--symbols") {
            options.Symbols = true;
        } else if (argument == u"--search-dir") {
            QString dir;
            if (!value(dir))
                return std::nullopt;
            options.SearchDir = dir;
        } else if (argument == u"--output") {
            if (!value(options.OutputFile))
                return std::nullopt;
        } else if (argument == u"--format") {
            QString name;
            if (!value(name))
                return std::nullopt;
            const auto format = FormatNamed(name);
            if (!format) {
                error = u"unknown format \"%1\": use table, csv or json"_s.arg(name);
                return std::nullopt;
            }
            options.Format = *format;
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            error = u"unknown option %1 (try --help)"_s.arg(argument);
            return std::nullopt;
        } else if (options.MapFile.isEmpty()) {
            options.MapFile = argument;
        } else {
            error = u"unexpected argument \"%1\""_s.arg(argument);
            return std::nullopt;
        }
    }
    if (!options.Help && options.MapFile.isEmpty()) {
        error = u"report needs a MAP file (try --help)"_s;
        return std::nullopt;
    }
    return options;
}

QString TCliOptions::HelpText()
{
    return uR"(Usage: quillon-cli report MAPFILE [--search-dir DIR] [--format table|csv|json]
                          [--symbols] [--output FILE]

Reports how much compiled code each unit of a Delphi project contributes, read from the
linker's detailed MAP file. The analysis is the one of the desktop program: the project file
(.dpr) is searched from the MAP file's folder upwards and its folder becomes the current one,
bound form resources (.dfm) are sized, and compiled unit files (.dcu) are looked for below
--search-dir (no scan without it). Units are listed by compiled size, largest first; units of
equal size keep their MAP order.

Options:
  --search-dir DIR   scan DIR and its sub-folders for *.dcu files (the "Ratio DCU size" column)
  --format FORMAT    table (default, for people), csv or json
  --symbols          add each unit's symbol tree (namespaces, classes, routines with sizes),
                     in display order, as opening the unit's row in the grid shows it
  --output FILE      write the report to FILE instead of standard output
  --help             this text

csv:   the header unit,code_size,percent,dfm_size,dcu_size,ratio, then one row per unit:
       its name (quoted where needed), code size in bytes, percentage of the total code with
       two decimals, form resource size (0 when none), compiled unit file size (0 when none)
       and the ratio of the two sizes as the grid shows it ("-" without a .dcu file).
json:  {"map", "code_segment_length", "total_code_size", "units": [{"name", "code_size",
       "percent", "dfm_size", "dcu_size", "ratio", "symbols": [{"name", "size",
       "children": [...]}]}]}; "symbols" only with --symbols.
table: aligned columns with thousands separators and a total line; with --symbols each
       unit's tree is indented below it.

Messages (a missing project file, the error that stops an analysis) go to standard error.

Exit codes:
  0   success (a missing project file is only a warning)
  1   the report could not be written
  2   the MAP file (or the project file) does not exist or cannot be read
  3   the MAP file is malformed; the message names the line
  64  usage error
)"_s;
}
