#pragma once
// The comparison of the grid with a baseline build: the baseline loaded in two parts around the
// window's reading thread, its two columns and their painters, shown after every successful run,
// and the name it goes by in the status bar and the Compare button's menu.

#include "analysis/MapAnalysis.h"
#include "analysis/SymbolGrouping.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

class TBaselineColumns;
class TITreeNode;
class TITreeView;

class TBaselineComparison
{
public:
    // The grid and the current build's engine outlive the comparison.
    TBaselineComparison(TITreeView &Grid, TMapAnalysis &Current);
    ~TBaselineComparison();

    // A baseline being loaded: prepared on the window's thread, read anywhere, then put in place.
    class TLoading
    {
    public:
        TLoading(const QString &MapFileName, TSymbolGrouping Grouping);
        ~TLoading();
        // None, with ErrorMessage, when the file is missing.
        std::optional<TMapAnalysis::TRunInput> Prepare();
        // False, with ErrorMessage, when the run failed.
        bool Finish(TMapAnalysisResult Result);
        QString ErrorMessage() const;

    private:
        friend class TBaselineComparison;
        QString FMapFileName;
        std::unique_ptr<TBaselineColumns> FColumns;
        QDateTime FWritten;
    };

    // The loaded baseline in place of the one before; shown at once when the grid holds a
    // successful run.
    void Replace(TLoading &Loaded, bool RunSucceeded);
    // After a run: the values of the new rows, the rows only the baseline has.
    void ShowAfterRun(bool RunSucceeded);
    // The columns and the rows only the baseline has leave the grid; the baseline is freed.
    void Clear();
    // Takes effect over the shown trees: they are rebuilt in the engine's new grouping.
    void SetGrouping(TSymbolGrouping Grouping, const std::function<void()> &regroupCurrent);

    bool Active() const { return FColumns != nullptr; }
    bool Shown() const { return FShown; }
    const TBaselineColumns *Columns() const { return FColumns.get(); }
    // "compared with reg01.map, 2026-12-09 14:02": the file and when it was written.
    QString Description() const;
    QString MapFileName() const;

    // The grid's expansion while shown; false when Node held no placeholder.
    bool AddSymbolRowsOf(TITreeNode *Node);

    // The texts of the baseline's columns, as painted and copied.
    static QString OldSizeCellText(const TITreeNode *Node);
    static QString ChangeCellText(const TITreeNode *Node);

private:
    void AddColumns();

    TITreeView &FGrid;
    TMapAnalysis &FCurrent;
    std::unique_ptr<TBaselineColumns> FColumns;
    QDateTime FWritten;
    bool FShown = false;
};
