#pragma once
// The unit rows of a finished run as the unit graph's nodes: names and code sizes in the order of
// their code (the MAP's order), so that the program, linked last, comes last.

#include "units/UnitGraphBuilder.h"

#include <vector>

class TMapAnalysis;
class TTreeGridModel;

std::vector<TLinkedUnit> LinkedUnitsOf(const TMapAnalysis &Analysis, const TTreeGridModel &Grid);
