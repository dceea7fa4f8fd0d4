#pragma once
// The unit rows of a finished run as the unit graph's nodes: names and code sizes in the order of
// their code (the MAP's order), so that the program, linked last, comes last.

#include "units/UnitGraphBuilder.h"

#include <vector>

class TMapAnalysis;
class TTreeGridModel;

std::vector<TLinkedUnit> LinkedUnitsOf(const TMapAnalysis &Analysis, const TTreeGridModel &Grid);

// What the unit graph of the last run is built from: its units, the search folder, and the
// PACKAGEINFO of ExeFile (empty: the executable beside the MAP file) when it is the MAP's build and
// ReadExecutable. Why an executable could not be used goes to Warnings.
TUnitGraphSources UnitGraphSourcesOf(const TMapAnalysis &Analysis, const TTreeGridModel &Grid,
                                     const QString &SearchFolder, const QString &ExeFile, bool ReadExecutable,
                                     QStringList &Warnings);
