#pragma once
// What quillon-cli report writes after its run, shared with the window's export: the units the
// filter shows in grid order, each with its symbol tree where the format wants it, through the
// format's writer.

#include "cli/CliOptions.h"

#include <QIODevice>

#include <memory>

class TMapAnalysis;
class TReportWriter;
class TTreeGridModel;
struct TWholeFile;

// Writes the report of a finished run of Analysis into Grid in Options' format, with its filter, its
// symbols (always for HTML), its retained sizes and, for HTML, the unit graph when some uses were
// read (the .dcu files and sources below the search folder, the project file, the executable's
// PACKAGEINFO as Options.Exe chooses it). Unit rows opened to be tested or written get their
// placeholder back, so Grid must be the run's own, not a view's. File, when given, is the build's
// whole executable, which json and html carry. Returns the writer, ended, for the caller to finish
// the output with.
std::unique_ptr<TReportWriter> WriteReport(TMapAnalysis &Analysis, TTreeGridModel &Grid,
                                           const TCliOptions &Options, QIODevice &Output,
                                           const TWholeFile *File);
