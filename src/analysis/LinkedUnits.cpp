#include "analysis/LinkedUnits.h"

#include "analysis/MapAnalysis.h"
#include "analysis/ProgramExecutable.h"
#include "tree/TreeGridModel.h"

#include <algorithm>

std::vector<TLinkedUnit> LinkedUnitsOf(const TMapAnalysis &Analysis, const TTreeGridModel &Grid)
{
    struct TPlaced
    {
        qint64 Start;
        TLinkedUnit Unit;
    };
    std::vector<TPlaced> placed;
    for (const TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->NextSibling())
        if (const auto range = Analysis.UnitCodeRange(node))
            placed.push_back({range->Start, TLinkedUnit{node->Text(), range->End - range->Start}});
    std::stable_sort(placed.begin(), placed.end(),
                     [](const TPlaced &a, const TPlaced &b) { return a.Start < b.Start; });
    std::vector<TLinkedUnit> units;
    units.reserve(placed.size());
    for (TPlaced &p : placed)
        units.push_back(std::move(p.Unit));
    return units;
}

TUnitGraphSources UnitGraphSourcesOf(const TMapAnalysis &Analysis, const TTreeGridModel &Grid,
                                     const QString &SearchFolder, const QString &ExeFile, bool ReadExecutable,
                                     QStringList &Warnings)
{
    TUnitGraphSources sources;
    sources.MapFileName = Analysis.MapFileName();
    sources.Units = LinkedUnitsOf(Analysis, Grid);
    sources.SearchFolder = SearchFolder;
    if (!ReadExecutable)
        return sources;
    const QString exe = ExeFile.isEmpty() ? ExecutableBesideMap(sources.MapFileName) : ExeFile;
    if (!exe.isEmpty()) {
        TProgramExecutable program = ReadProgramExecutable(exe, &Analysis.Segments());
        if (!program.Problem.isEmpty())
            Warnings << program.Problem;
        sources.PackageInfo = std::move(program.PackageInfo);
    }
    return sources;
}
