#pragma once
// A baseline build shown in the unit grid beside the current one: two more columns, "Old size" and
// "Change", for every unit row and for the rows of opened units. Units and symbols that only the
// baseline has become rows of size 0 in the current grid, so every byte of the change has a row.
//
// The values live in the rows' column strings 5 and 6 (columns 6 and 7, after the retained size): the old size as text and
// object, the signed change as text (the columns sort them as numbers), and the object of item 5
// marks a row that only the baseline has.

#include "analysis/BuildComparison.h"
#include "analysis/MapAnalysis.h"
#include "analysis/SymbolGrouping.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>

class TITreeNode;
class TTreeGridModel;

class TBaselineColumns
{
public:
    static constexpr int OldSizeColumn = 6;
    static constexpr int ChangeColumn = 7;

    TBaselineColumns();
    ~TBaselineColumns();
    TBaselineColumns(const TBaselineColumns &) = delete;
    TBaselineColumns &operator=(const TBaselineColumns &) = delete;

    // Analyses the baseline MAP file without a compiled unit scan; false, with ErrorMessage, when
    // the run failed. The current folder is kept: the current build's run owns it.
    bool Load(const QString &MapFileName);
    // Load in the parts of a run, for a reading on another thread: none, with ErrorMessage, when
    // the file is missing; then false, with ErrorMessage, when the read run failed.
    std::optional<TMapAnalysis::TRunInput> PrepareLoad(const QString &MapFileName);
    bool FinishLoad(TMapAnalysisResult Result);
    // How the baseline's units open; the current build's grouping, so that their trees match.
    void SetGrouping(TSymbolGrouping Grouping);
    // The baseline's absolute path.
    const QString &MapFileName() const;
    const QString &ErrorMessage() const;

    // Columns 6 "Old size" and 7 "Change" after the six unit columns, and their removal; rows
    // sorted by one of them get the run's order back.
    static void AddColumns(TTreeGridModel &Grid);
    static void RemoveColumns(TTreeGridModel &Grid);

    // After a finished run of the current build: the unit rows and the rows of opened units get
    // their values, and the units only the baseline has are added. Re-sort the grid afterwards.
    void Show(TTreeGridModel &Grid);
    // Takes every value and every row only the baseline has out of the grid; the columns stay.
    static void Hide(TTreeGridModel &Grid);

    // The grid's expansion while a baseline is shown: builds Unit's rows as opening it does (a
    // unit only the baseline has gets none of the current build) and compares them with the
    // baseline's rows of that unit. False when Unit held no placeholder.
    bool AddSymbolRowsOf(TMapAnalysis &Current, TITreeNode *Unit);

    // For the painters and the selection summary.
    static bool HasBaselineValues(const TITreeNode *Node);
    static qint64 OldSize(const TITreeNode *Node);
    static qint64 Change(const TITreeNode *Node);
    static bool OnlyInBaseline(const TITreeNode *Node);
    // Over the unit rows of the last Show, at least 1: the lengths of the unit rows' bars.
    qint64 MaxOldUnitSize() const { return FMaxOldUnitSize; }
    qint64 MaxUnitChange() const { return FMaxUnitChange; }

private:
    // The baseline's row of the unit named Text, its symbol rows built; none when it has no unit
    // of that name.
    const TITreeNode *BaselineTree(const QString &Text);
    void ShowSymbols(TITreeNode *Unit);

    std::unique_ptr<TTreeGridModel> FGrid;
    std::unique_ptr<TMapAnalysis> FAnalysis;
    // The baseline's first row of each unit, by case-folded name.
    QHash<QString, TITreeNode *> FUnitRows;
    qint64 FMaxOldUnitSize = 1;
    qint64 FMaxUnitChange = 1;
};
