#include "cli/CliOptions.h"

#include "cli/CommandLine.h"

#include "QuillonVersion.h"

using namespace Qt::Literals::StringLiterals;

namespace {

struct TFormatName
{
    const char16_t *Name;
    TReportFormat Format;
};
constexpr TFormatName FormatNames[] = {
    {u"table", TReportFormat::Table}, {u"csv", TReportFormat::Csv},           {u"json", TReportFormat::Json},
    {u"html", TReportFormat::Html},   {u"markdown", TReportFormat::Markdown}, {u"text", TReportFormat::Table},
    {u"dot", TReportFormat::Dot},
};

// "--format" with the formats a command writes, named as its help names them.
void AddFormatOption(TCommandLine &line, TCliOptions &options, QStringList accepted)
{
    line.AddOption(u"format"_s, QChar(), [&options, accepted](const QString &value, QString &error) {
        if (accepted.contains(value))
            for (const TFormatName &format : FormatNames)
                if (value == QStringView(format.Name)) {
                    options.Format = format.Format;
                    return true;
                }
        const QString last = accepted.last();
        error = u"unknown format \"%1\": use %2 or %3"_s.arg(
            value, accepted.mid(0, accepted.size() - 1).join(u", "_s), last);
        return false;
    });
}

// The options every command and the bare program accept.
void AddCommonOptions(TCommandLine &line, TCliOptions &options)
{
    line.AddFlag(u"help"_s, u'h', [&options] { options.Help = true; });
    line.AddFlag(u"version"_s, QChar(), [&options] { options.Version = true; });
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

void AddFlag(TCommandLine &line, const QString &name, bool &flag)
{
    line.AddFlag(name, QChar(), [&flag] { flag = true; });
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

void AddExeOption(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"exe"_s, QChar(), [&options](const QString &value, QString &error) {
        if (value.isEmpty()) {
            error = u"empty file name (use none to read no executable)"_s;
            return false;
        }
        options.Exe = value;
        return true;
    });
}

void AddReportOptions(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"search-dir"_s, QChar(), [&options](const QString &value, QString &) {
        options.SearchDir = value;
        return true;
    });
    AddFormatOption(line, options, {u"table"_s, u"csv"_s, u"json"_s, u"html"_s});
    AddFlag(line, u"symbols"_s, options.Symbols);
    AddGroupByOption(line, options);
    line.AddOption(u"filter"_s, QChar(), [&options](const QString &value, QString &) {
        options.Filter = value;
        return true;
    });
    AddFlag(line, u"strict"_s, options.Strict);
    AddFlag(line, u"wide"_s, options.Wide);
    AddFlag(line, u"retained"_s, options.Retained);
    AddOutputOption(line, options);
    AddExeOption(line, options);
    AddFlag(line, u"file"_s, options.WholeFile);
    line.AddOption(u"depth"_s, QChar(), [&options](const QString &value, QString &error) {
        bool ok = false;
        const int depth = value.toInt(&ok);
        if (!ok || depth < 1) {
            error = u"bad depth \"%1\": use a number of levels from 1"_s.arg(value);
            return false;
        }
        options.Depth = depth;
        return true;
    });
    SetOneMapFile(line, options, u"report"_s);
}

void AddSearchDirOption(TCommandLine &line, TCliOptions &options)
{
    line.AddOption(u"search-dir"_s, QChar(), [&options](const QString &value, QString &) {
        options.SearchDir = value;
        return true;
    });
}

void AddWhyOptions(TCommandLine &line, TCliOptions &options)
{
    AddSearchDirOption(line, options);
    AddExeOption(line, options);
    AddFormatOption(line, options, {u"table"_s, u"json"_s});
    AddOutputOption(line, options);
    line.AddOption(u"paths"_s, QChar(), [&options](const QString &value, QString &error) {
        bool ok = false;
        options.Paths = value.toInt(&ok);
        if (!ok || options.Paths < 1) {
            error = u"a number of at least 1 is needed, not \"%1\""_s.arg(value);
            return false;
        }
        return true;
    });
    line.SetPositional([&options](const QString &value, QString &error) {
        if (!options.UnitName.isEmpty()) {
            error = u"unexpected argument \"%1\": why reads one MAP file and one unit name"_s.arg(value);
            return false;
        }
        (options.MapFile.isEmpty() ? options.MapFile : options.UnitName) = value;
        return true;
    });
}

void AddUsesOptions(TCommandLine &line, TCliOptions &options)
{
    AddFormatOption(line, options, {u"table"_s, u"json"_s});
    AddOutputOption(line, options);
    SetOneMapFile(line, options, u"uses"_s);
}

void AddGraphOptions(TCommandLine &line, TCliOptions &options)
{
    AddSearchDirOption(line, options);
    AddExeOption(line, options);
    AddFormatOption(line, options, {u"json"_s, u"dot"_s});
    AddOutputOption(line, options);
    SetOneMapFile(line, options, u"graph"_s);
}

void AddDiffOptions(TCommandLine &line, TCliOptions &options)
{
    AddFormatOption(line, options, {u"table"_s, u"csv"_s, u"json"_s, u"markdown"_s});
    AddFlag(line, u"symbols"_s, options.Symbols);
    AddFlag(line, u"all"_s, options.All);
    AddFlag(line, u"wide"_s, options.Wide);
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
    for (const QString &name : {u"max-total"_s, u"max-unit"_s, u"max-group"_s, u"max-growth"_s,
                                u"max-unit-growth"_s, u"max-file"_s, u"max-part"_s})
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
    AddFlag(line, u"strict"_s, options.Strict);
    AddExeOption(line, options);
    AddFormatOption(line, options, {u"text"_s, u"json"_s, u"markdown"_s});
    AddOutputOption(line, options);
    SetOneMapFile(line, options, u"check"_s);
}

// Combinations that each option allows alone.
bool CheckReportOptions(const TCliOptions &options, QString &error)
{
    if (options.MapFile.isEmpty()) {
        error = u"report needs a MAP file (try report --help)"_s;
        return false;
    }
    if (options.Symbols && options.Format == TReportFormat::Csv) {
        error = u"--symbols cannot be used with --format csv: csv has no trees (use table, json or html)"_s;
        return false;
    }
    if (options.Retained && options.Format == TReportFormat::Html) {
        error = u"--retained cannot be used with --format html (use table, csv or json)"_s;
        return false;
    }
    if (options.WholeFile &&
        (options.Format == TReportFormat::Json || options.Format == TReportFormat::Html)) {
        error = u"--file is for table and csv: json and html always hold the whole file"_s;
        return false;
    }
    if (options.Depth > 0 && !options.WholeFile) {
        error = u"--depth needs --file"_s;
        return false;
    }
    if (options.WholeFile && options.ExecutableSwitchedOff()) {
        error = u"--file needs the executable: not with --exe none"_s;
        return false;
    }
    return true;
}

bool CheckWhyOptions(const TCliOptions &options, QString &error)
{
    if (options.UnitName.isEmpty()) {
        error = u"why needs a MAP file and the name of a unit (try why --help)"_s;
        return false;
    }
    return true;
}

bool CheckUsesOptions(const TCliOptions &options, QString &error)
{
    if (options.MapFile.isEmpty()) {
        error = u"uses needs a .dcu, .pas, .dpr or .dpk file (try uses --help)"_s;
        return false;
    }
    return true;
}

bool CheckGraphOptions(const TCliOptions &options, QString &error)
{
    if (options.MapFile.isEmpty()) {
        error = u"graph needs a MAP file (try graph --help)"_s;
        return false;
    }
    return true;
}

bool CheckDiffOptions(const TCliOptions &options, QString &error)
{
    if (options.MapFile.isEmpty()) {
        error = u"diff needs the old and the new MAP file (try diff --help)"_s;
        return false;
    }
    if (options.MapFile == u"-" && options.BaselineMapFile == u"-") {
        error = u"only one of the MAP files can be read from standard input (\"-\")"_s;
        return false;
    }
    if (options.Symbols && options.Format == TReportFormat::Csv) {
        error = u"--symbols cannot be used with --format csv: csv has one row per unit (use table, json or "
                u"markdown)"_s;
        return false;
    }
    return true;
}

bool CheckCheckOptions(const TCliOptions &options, QString &error)
{
    if (options.MapFile.isEmpty()) {
        error = u"check needs a MAP file (try check --help)"_s;
        return false;
    }
    if (options.MapFile == u"-" && options.BaselineMapFile == u"-") {
        error = u"only one of the MAP files can be read from standard input (\"-\")"_s;
        return false;
    }
    if (options.Budgets.empty() && options.BudgetsFile.isEmpty()) {
        error = u"check needs a budget: --max-total, --max-unit, --max-group, --max-growth, "
                u"--max-unit-growth, --max-file, --max-part or --budgets"_s;
        return false;
    }
    for (const TSizeBudget &budget : options.Budgets) {
        if (budget.NeedsBaseline() && options.BaselineMapFile.isEmpty()) {
            error = u"%1 needs --baseline OLD.map"_s.arg(budget.Origin);
            return false;
        }
        if (budget.NeedsExecutable() && options.ExecutableSwitchedOff()) {
            error = u"%1 needs the executable: not with --exe none"_s.arg(budget.Origin);
            return false;
        }
    }
    return true;
}

// A command: its name, the options it adds to the common ones, the check of their combination and
// its help: the usage lines (continuation lines indented as they are shown) and the text from its
// "name:" paragraph on. A new command is one more entry; a new option is its line in AddOptions,
// its line in the usage and its paragraph in the help.
struct TCommand
{
    const char16_t *Name;
    TCliCommand Command;
    void (*AddOptions)(TCommandLine &line, TCliOptions &options);
    bool (*Check)(const TCliOptions &options, QString &error);
    const char16_t *Usage;
    const char16_t *Help;
};

const TCommand Commands[] = {
    {u"report", TCliCommand::Report, AddReportOptions, CheckReportOptions,
     uR"help(quillon-cli report MAPFILE [--search-dir DIR] [--symbols]
                   [--format table|csv|json|html] [--filter TEXT]
                   [--group-by address|name] [--strict] [--wide]
                   [--retained] [-o FILE] [--exe FILE|none]
                   [--file [--depth N]])help",
     uR"help(report: how much compiled code each unit of a Delphi project contributes,
read from the linker's detailed MAP file. The analysis is the one of the desktop
program: the project file (.dpr, or .dpk for a package) is searched from the MAP
file's folder upwards and its folder becomes the current one, bound form
resources (.dfm) are sized, and compiled unit files (.dcu) are looked for below
--search-dir (no scan without it). Units are listed by compiled size, largest
first; units of equal size keep their MAP order.

  --search-dir DIR   scan DIR and its sub-folders for *.dcu files (the "Ratio
                     DCU size" column); pseudo file systems (/proc, /sys...)
                     are not entered, and each folder is listed once however
                     many links lead to it
  --format FORMAT    table (default, for people), csv, json or html
  --symbols          add each unit's symbol tree (namespaces, classes, routines
                     with sizes), in display order, as opening the unit's row
                     in the grid shows it (table and json; html always has
                     them; csv has no trees)
  --group-by GROUPING
                     address (default): the public symbols that lie in the
                     unit's code, the bytes before the first of them as
                     "[no public symbol]", adding up to the unit's code size;
                     name: the symbols whose name begins with the unit's name
                     (compilers up to Delphi 2005 write names without their
                     unit)
  --filter TEXT      the rows the window's filter shows for TEXT: the units
                     whose names contain it, ignoring case, and the units
                     holding symbol rows whose names contain it; with --symbols
                     (and in html) each unit's tree keeps only the matching
                     rows, the rows holding them and everything below a
                     matching row (a matching unit keeps its whole tree);
                     "[no public symbol]" and "< MetaData >" rows stand for no
                     name and never match
  --strict           fail with exit code 3, writing nothing, when the MAP file
                     looks incomplete (without it the report is written with a
                     warning)
  --wide             table: names in full, however wide the table gets (they
                     are cut with an ellipsis to fit 80 columns otherwise)
  --retained         add each unit's retained size, as why computes it from
                     the uses found below DIR: csv "retained_size" (empty when
                     no chain is known), json "retained_size" (null then) and
                     "retained_upper_bound", the table's "Retained size" ("<="
                     before an upper bound; its headings take two lines to keep
                     80 columns); the program's uses from the executable --exe
                     chooses when no project file is found; not in html
  -o, --output FILE  write the report to FILE instead of standard output
  --exe FILE|none    the executable of the build: by default the MAP file's
                     name with .exe, .dll or .bpl beside it; none reads none.
                     It is used only when the MAP's code and data segments are
                     as long as its code and data sections; otherwise a
                     warning says it comes from another build
  --file             print the whole executable instead of the unit table
                     (table and csv): every byte under one part, the parts
                     adding up to the file size: Headers, each section (the
                     MAP's units below code and data, the resource types and
                     names below .rsrc with forms and their units, the DLLs
                     below .idata, "[padding]" for what no child covers),
                     Overlay, Certificate; with their bytes in the file and in
                     memory and their share of the file
  --depth N          with --file: N levels of the tree (every level otherwise)

  An executable named with no MAP file beside it gives its parts without
  units. When the executable belongs to the MAP file, json has the top-level
  object "file": {"path", "size", "format" ("PE32" or "PE32+"), "parts":
  [{"name", "file_size", "vm_size", "children": [...]}]} (units also carry
  "unit": true, forms "form": true and their "owner"); html embeds it.
  --file csv: the header depth,name,kind,file_size,vm_size,percent, then a row
  per part in tree order; kind is section, unit, form, padding or part.

  csv:   the header unit,code_size,percent,dfm_size,dcu_size,ratio, then one row
         per unit: its name (quoted where needed), code size in bytes,
         percentage of the total code with two decimals, form resource size (0
         when none), compiled unit file size (0 when none) and the ratio of the
         two sizes as the grid shows it ("-" without a .dcu file).
  json:  {"map", "code_segment_length", "total_code_size", "units": [{"name",
         "code_size", "percent", "dfm_size", "dcu_size", "ratio", "symbols":
         [{"name", "size", "children": [...]}]}]}; "symbols" only with
         --symbols.
  html:  one page that works offline in any browser: a treemap to zoom into
         (of the whole executable when one belongs to the MAP file), the table
         of units that open into their symbol trees, and a search over every
         name; the json report with symbols is embedded in it. When uses are
         found (.dcu files and sources below --search-dir, the project file,
         the executable's PACKAGEINFO), a unit zoomed into shows why it is
         linked, as why does: its chains from the program, its direct users
         and the units it keeps alive.
  table: aligned columns with thousands separators and a total line; with
         --symbols each unit's tree is indented below it.)help"},
    {u"diff", TCliCommand::Diff, AddDiffOptions, CheckDiffOptions,
     uR"help(quillon-cli diff OLD.map NEW.map [--symbols] [--all] [--wide]
                 [--format table|csv|json|markdown]
                 [--group-by address|name] [-o FILE])help",
     uR"help(diff: what changed from one build to the next. Units are matched by name
ignoring letter case; a unit of one build only has size 0 in the other. Every
unit is listed, largest absolute change first, ties by name; its status is
added, removed, grown, shrunk or unchanged. Symbols are matched by their path in
the unit's tree ("TFoo.Create"); overloads of one name are summed. When both
builds have their executable beside the MAP file (as for report), the whole
files are compared after the units: each changed part with its changed units,
resource types and DLLs (".rsrc +197,120: ICON +187,110"); json adds "file":
{"old_size", "new_size", "delta", "parts": [{"name", "old_size", "new_size",
"delta", "children"}]}.

  --symbols          add each unit's changed symbols, in the same order (table,
                     json and markdown)
  --format FORMAT    table (default), csv, json or markdown
  --all              table: list the unchanged units too
  --wide             table: names in full (cut with an ellipsis to fit 80
                     columns otherwise)
  --group-by GROUPING  how each unit's tree is built, as for report (address by
                     default)
  -o, --output FILE  write to FILE instead of standard output

  csv:      the header unit,old_size,new_size,delta,status, then one row per
            unit; with the whole files, after an empty line, a second table:
            the header depth,part,old_size,new_size,delta, the row "0,Whole
            file,..." and each changed part below it in tree order.
  json:     {"old", "new", "old_total", "new_total", "delta", "units": [{"name",
            "old_size", "new_size", "delta", "status", "symbols": [{"name",
            "old_size", "new_size", "delta"}]}]}; "symbols" only with
            --symbols. A name is spelled as in the new build (as in the old
            one for removed units).
  markdown: a pull request comment: the totals first, then a table of the
            largest changes, the whole files' changed parts (each section with
            its largest changes, the rest summed) and, with --symbols, the
            largest symbol changes in a collapsed section; it stays within the
            size of a GitHub comment (the changes left out are counted).
  table:    the changed units with signed changes and a total line; with
            --symbols their changed symbols indented below them.)help"},
    {u"check", TCliCommand::Check, AddCheckOptions, CheckCheckOptions,
     uR"help(quillon-cli check MAPFILE [--baseline OLD.map] [--max-total SIZE]
                  [--max-unit PATTERN=SIZE]...
                  [--max-group PATTERN=SIZE]...
                  [--max-growth SIZE|PCT] [--max-unit-growth SIZE|PCT]
                  [--max-file SIZE] [--max-part NAME=SIZE]...
                  [--exe FILE|none] [--budgets FILE] [--strict]
                  [--format text|json|markdown] [-o FILE])help",
     uR"help(check: holds the build to size budgets, for build pipelines. Each budget
prints a line naming it, what it measured, its limit and the actual value, and
by how much it is over or how much room (headroom) is left; a last line counts
the broken ones. A per-unit budget prints a line per unit over its limit, or,
when all hold, the one with the least room. A budget whose pattern matches no
unit is said so on a line of its own: it holds, unless --strict.

  --baseline OLD.map          the build to measure growth against (the growth
                              budgets need it)
  --max-total SIZE            the total code size
  --max-unit PATTERN=SIZE     every unit whose name matches PATTERN ("*" any
                              text, "?" one character, letter case ignored:
                              "Vcl.*=400K"); may be repeated, as may every
                              budget
  --max-group PATTERN=SIZE    the sum of the units whose names match PATTERN
                              ("Id*=600K": all of Indy together)
  --max-growth SIZE|PCT       growth of the total code size; PCT of the
                              baseline's total
  --max-unit-growth SIZE|PCT  growth of each unit; PCT of the unit's old size
                              (a unit new in this build is held by SIZE limits
                              only)
  --max-file SIZE             the size of the executable that belongs to the
                              MAP file
  --max-part NAME=SIZE        a part of that executable by its bytes in the
                              file: a section, Headers, Overlay, Certificate
                              or a resource type (ICON, RCDATA); wildcards and
                              letter case as for --max-unit
  --exe FILE|none             the executable the file budgets read, as for
                              report
  --budgets FILE              budgets from FILE: one per line, written as the
                              option without its dashes ("max-unit
                              Vcl.*=400K"); a line "strict" is --strict; "#"
                              begins a comment
  --strict                    a budget that matches no unit breaks
  --format FORMAT             text (default), json or markdown
  -o, --output FILE           write to FILE instead of standard output

  SIZE is bytes with an optional K, M or G (1024-based, any case, decimals
  allowed: "1.5M"); PCT is a number followed by "%".

  json:     {"budgets": [{"budget", "kind", "subject", "unit", "limit",
            "actual", "delta", "held", "matched"}], "held", "broken",
            "unmatched"}: "delta" is actual less limit (negative: the
            headroom); a budget that matches no unit has no "actual" and
            "delta" (null). The exit code is the text's.
  markdown: the same as a table for a pull request comment.)help"},
    {u"why", TCliCommand::Why, AddWhyOptions, CheckWhyOptions,
     uR"help(quillon-cli why MAPFILE UNIT [--search-dir DIR] [--exe FILE|none]
                [--paths N] [--format table|json] [-o FILE])help",
     uR"help(why: why a unit is linked into the program, and what removing it would
save. The units of the MAP file are the nodes, the program (the MAP's last unit)
the root; each unit's uses come from its .dcu file below --search-dir, else from
its source there (.pas; the program's from its .dpr, found as report finds it,
else from the units the executable's PACKAGEINFO resource says the program names
itself). A unit found in neither has unknown uses.

  --search-dir DIR   where the .dcu files and the sources lie
  --exe FILE|none    the executable linked with the MAP file (default: the
                     .exe, .dll or .bpl of the MAP's name beside it; none reads
                     none); used only when the MAP's code and data segments
                     are as long as its code and data sections, as for report
  --paths N          up to N chains (default 3), each through another direct
                     user, the shortest first; ties follow the order of the
                     uses clauses, interface before implementation
  --format FORMAT    table (default) or json
  -o, --output FILE  write to FILE instead of standard output

  Each use is marked interface, implementation or program, where it was read
  (dcu, source, exe), "initialization only" when the .dcu imports nothing from
  the unit, and "conditional" when it lies in a source's condition the reader
  cannot decide. The retained size is the code of the units the unit dominates
  (every chain to them passes through it), itself included; it is an upper
  bound when units of unknown uses might need some of them. Exit code 1 when
  the unit is not linked into the program.
  json:  {"unit", "code_size", "retained_size", "upper_bound", "chains":
         [[{"name"}, {"name", "kind", "from", "imports"}, ...]], "used_by":
         [{"name", "kind", "from", "imports"}], "keeps": [{"name",
         "code_size"}]}; each chain runs from the program, each step after the
         first with the use that leads to it; "retained_size" is null when no
         chain is known.)help"},
    {u"uses", TCliCommand::Uses, AddUsesOptions, CheckUsesOptions,
     uR"help(quillon-cli uses FILE.dcu|FILE.pas|FILE.dpr|FILE.dpk
                 [--format table|json] [-o FILE])help",
     uR"help(uses: one file's uses lists: a compiled unit's (.dcu, with its compiler and
platform, Delphi 2 to 12, Win32 and Win64) or a source's. A .dcu of an unknown
compiler or a layout the reader cannot follow is an error (exit code 3), never
a guess.

  --format FORMAT    table (default) or json
  -o, --output FILE  write to FILE instead of standard output

  json:  {"unit", "compiler", "platform", "interface": [{"name", "imports"}],
         "implementation": [...]}; compiler and platform are null for a
         source, whose entries say "imports": true (a source cannot tell) and
         "conditional": true where undecided.)help"},
    {u"graph", TCliCommand::Graph, AddGraphOptions, CheckGraphOptions,
     uR"help(quillon-cli graph MAPFILE [--search-dir DIR] [--exe FILE|none]
                  [--format json|dot] [-o FILE])help",
     uR"help(graph: every unit with its code size, retained size and uses, read as
for why.

  --search-dir DIR, --exe FILE|none  as for why
  --format FORMAT    json (default) or dot
  -o, --output FILE  write to FILE instead of standard output

  json:  {"root", "units": [{"name", "code_size", "retained_size",
         "uses_known", "uses": [{"name", "kind", "from", "imports"}]}]}
  dot:   a Graphviz graph: each box names the unit with its code and retained
         size; implementation uses are dashed, initialization-only uses grey,
         units of unknown uses dotted.)help"},
};

// What every command shares, after the commands' own help.
constexpr char16_t CommonHelp[] = uR"help(MAP files:
  A MAP file is named by its path, whatever its extension. A project (.dpr,
  .dpk) or an executable (.exe, .dll, .bpl) named in its place has its MAP file
  looked for: the file of the same name with ".map" beside it, then in
  Win32/Debug, Win32/Release, Win64/Debug and Win64/Release below its folder;
  the one used is named on standard error. "-" reads the MAP file from standard
  input; a pipe or a /dev/fd path (as "<(git show main:App.map)" gives) is
  read once as a stream, and no project file is looked for then.

  A MAP file that does not end with its "Program entry point at" line, or
  whose units' code falls short of its code segment's length by more than 1 %,
  looks incomplete (a failed build, a copy cut short): report warns (and fails
  with --strict), diff and check fail with exit code 3.

Outputs:
  "-o -" is standard output. An output file is written beside its target and
  put in its place only when the command succeeded: a failed or interrupted
  run leaves the old file as it was. An output that is one of the files the
  command reads (by any path or link) is refused with exit code 64.

Options:
  -h, --help         the help; after a command, that command's help
  --version          the program's name and version
  Options take their value as "--option value" or "--option=value"; "--" ends
  the options.

Messages go to standard error: errors, and warnings that leave the report valid
(no project file found, several .dcu files of one unit below DIR, an incomplete
MAP file). While DIR is scanned, a progress line counts folders and files when
standard error is a terminal.

Getting a detailed MAP file from Delphi:
  Project Options > Linking > Map file: choose "Detailed" (the page is called
  Linker in old versions), then build the project again. The MAP file is
  written beside the executable. A MAP file with the segments only, or a file
  that is not a MAP file, lists no code units: the run then fails with exit
  code 3.

Exit codes:
  0   success (a missing project file, several .dcu files of one unit and, for
      report, an incomplete MAP file are only warnings); diff: also when the
      builds differ; check: every budget holds
  1   report, diff, why, uses, graph: the output could not be written; check: a
      budget is broken (or the output could not be written); why: the unit is
      not linked into the program
  2   a MAP file (or the project file, or the budgets file) does not exist or
      cannot be read, no MAP file was found for the project or executable
      named, or the search folder does not exist or is not a folder; report
      --file and the file budgets: no executable of the build, or the one
      named with --exe does not exist
  3   a MAP file is malformed (the message names the line), is not a detailed
      MAP file, or looks incomplete (diff, check, report --strict); or the
      executable named (--exe, or instead of the MAP file) is damaged
  64  usage error: an unknown option, a bad size, a bad line of the budgets
      file, an output that is one of the inputs
)help";

QString UsageLines(const TCommand &command, bool first)
{
    QString lines;
    for (const QString &line : QString::fromUtf16(command.Usage).split(u'\n')) {
        lines += (first ? u"Usage: "_s : u"       "_s) + line + u'\n';
        first = false;
    }
    return lines;
}

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

QString TCliOptions::HelpText(TCliCommand Command)
{
    for (const TCommand &command : Commands)
        if (command.Command == Command)
            return UsageLines(command, true) + u'\n' + QString::fromUtf16(command.Help) + u"\n\n"_s +
                   QString::fromUtf16(CommonHelp);
    QString usage;
    for (const TCommand &command : Commands)
        usage += UsageLines(command, usage.isEmpty());
    usage += u"       quillon-cli [COMMAND] --help | --version\n"_s;
    QString help = usage + u'\n';
    for (const TCommand &command : Commands)
        help += QString::fromUtf16(command.Help) + u"\n\n"_s;
    return help + QString::fromUtf16(CommonHelp);
}
