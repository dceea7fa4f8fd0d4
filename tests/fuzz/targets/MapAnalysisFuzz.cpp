#include "FuzzFiles.h"
#include "FuzzTarget.h"

#include "analysis/MapAnalysis.h"
#include "tree/ITreeNodes.h"
#include "tree/TreeGridModel.h"

// The whole run on one MAP file, then every unit row opened, as a user would.
QUILLON_FUZZ_TARGET(MapAnalysis)
{
    const QString mapFile = WriteFuzzFile(QStringLiteral("Fuzz.map"), data, size);
    const QString current = QDir::currentPath();
    TTreeGridModel grid;
    TMapAnalysis::SetupUnitColumns(grid);
    TMapAnalysis analysis(grid);
    analysis.OnMessage = [](TMapAnalysis *, const QString &) {};
    analysis.Run(mapFile, std::nullopt);
    for (TITreeNode *unit = grid.Items().GetFirstNode(); unit; unit = unit->NextSibling()) {
        bool allow = true;
        analysis.VGUnitsExpanding(&grid, unit, allow);
    }
    QDir::setCurrent(current);
}
