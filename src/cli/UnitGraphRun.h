#pragma once
// The unit graph of a MAP file for the commands that ask why a unit is linked: the MAP analysed as
// the report analyses it, then the uses read from the .dcu files and sources below --search-dir.

#include "cli/CliOptions.h"
#include "units/UnitGraphBuilder.h"

#include <QByteArray>

// ecSuccess with the graph built, or the exit code after the message. An Options.OutputFile that is
// one of the files the run reads is refused before anything is read. Files that could not be read
// are warnings.
int BuildUnitGraphOfMap(const TCliOptions &Options, TUnitGraphBuild &Build);

// The edge as the json formats write it: "kind", "from", "imports" (and "conditional" when it is).
QByteArray JsonEdgeFields(const TUnitEdge &Edge);
// The edge for people: "interface, dcu", "program, source, conditional", "..., initialization only".
QString EdgeText(const TUnitEdge &Edge);
