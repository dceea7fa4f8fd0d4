#pragma once
// The unit graph as the HTML report's page reads it, once for all units: names, code sizes, whether
// the uses are known, the edges, the immediate dominators and the retained sizes. The page walks the
// edges itself for a unit's chains, direct users and the units it keeps alive, so that the page
// stays small however many units are opened.

#include <string>

class TUnitGraph;

// {"root", "names", "code", "known": [0|1], "uses": [[edge]], "idom", "retained", "upper": [unit]},
// each edge one number: the unit used times 64 plus its kind (bits 0-1: interface, implementation,
// program), where it was read (bits 2-3: dcu, source, exe), 16 when names are imported and 32 when
// it is conditional. "upper" lists the units whose retained size is an upper bound.
std::string ReportGraphJson(const TUnitGraph &Graph);

// Some unit's uses were read: without any, the graph answers nothing the page could show.
bool GraphHasUses(const TUnitGraph &Graph);
