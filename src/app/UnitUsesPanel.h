#pragma once
// Why the selected unit is linked and what removing it would save: the chains from the program
// (rows to click: the grid follows), the units that use it directly, and the units it keeps alive.
// The unit graph is built when the panel first needs it after a run, from the run's units and the
// .dcu files and sources below the search folder.

#include "analysis/WholeFile.h"
#include "units/UnitGraphBuilder.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class TITreeNode;
class TMapAnalysis;
class TTreeGridModel;
class QTreeWidget;
class QTreeWidgetItem;

class TUnitUsesPanel : public QWidget
{
public:
    explicit TUnitUsesPanel(QWidget *Parent = nullptr);
    ~TUnitUsesPanel() override;

    // A finished run's units and where their uses lie; the graph is built on the next ShowUnit.
    void SetSources(TUnitGraphSources Sources);
    // A finished run of the window: its units, the search folder (none when it cannot be scanned)
    // and the executable chosen for the MAP file, for its PACKAGEINFO.
    void SetRun(const TMapAnalysis &Analysis, const TTreeGridModel &Grid, const QString &SearchFolder,
                const TExecutableChoice &Executable);
    // The box "Why linked" in Band that shows and hides the panel, also by Ctrl+U in Window.
    QCheckBox *CreateToggle(QWidget *Band, QWidget *Window);
    // Forgets the run: the panel shows nothing until the next one.
    void Clear();
    // The unit asked about (empty: none); builds the graph first when needed.
    void ShowUnit(const QString &UnitName);
    // While shown: the unit of a grid row (a symbol row stands for its unit; none for no row).
    void ShowNode(const TITreeNode *Node);

    // The graph of the last ShowUnit after SetSources; none before.
    const TUnitGraphBuild *Build() const { return FBuild.get(); }
    // The run's graph, built now when no one has asked for it since SetSources; none without a run.
    const TUnitGraphBuild *Graph();
    QLabel *Title() const { return FTitle; }
    QTreeWidget *Rows() const { return FRows; }

    // A unit row was clicked or chosen with Enter: the grid selects that unit.
    std::function<void(TUnitUsesPanel *Sender, const QString &UnitName)> OnUnitClick;

private:
    void EnsureGraph();
    void AddChains(int Unit);
    void AddUsers(int Unit);
    void AddKept(int Unit);
    QTreeWidgetItem *Section(const QString &Caption);
    QTreeWidgetItem *UnitRow(QTreeWidgetItem *Parent, int Unit, const QString &Detail);
    void RowActivated(QTreeWidgetItem *Item);

    QLabel *FTitle = nullptr;
    QTreeWidget *FRows = nullptr;
    std::optional<TUnitGraphSources> FSources;
    std::unique_ptr<TUnitGraphBuild> FBuild;
    QString FUnitName;
};
