#include "app/BaselineComparison.h"

#include "analysis/BaselineColumns.h"
#include "app/UnitColumnPainting.h"
#include "base/UFormat.h"
#include "controls/CITVClassic.h"

#include <QApplication>
#include <QFileInfo>

namespace {

QString SignedNumber(qint64 value)
{
    return value > 0 ? u'+' + QString::number(value) : QString::number(value);
}

} // namespace

TBaselineComparison::TLoading::TLoading(const QString &MapFileName, TSymbolGrouping Grouping)
    : FMapFileName(MapFileName), FColumns(std::make_unique<TBaselineColumns>())
{
    FColumns->SetGrouping(Grouping);
}

TBaselineComparison::TLoading::~TLoading() = default;

std::optional<TMapAnalysis::TRunInput> TBaselineComparison::TLoading::Prepare()
{
    FWritten = QFileInfo(FMapFileName).lastModified();
    return FColumns->PrepareLoad(FMapFileName);
}

bool TBaselineComparison::TLoading::Finish(TMapAnalysisResult Result)
{
    return FColumns->FinishLoad(std::move(Result));
}

QString TBaselineComparison::TLoading::ErrorMessage() const
{
    return FColumns->ErrorMessage();
}

TBaselineComparison::TBaselineComparison(TITreeView &Grid, TMapAnalysis &Current)
    : FGrid(Grid), FCurrent(Current)
{}

TBaselineComparison::~TBaselineComparison() = default;

void TBaselineComparison::Replace(TLoading &Loaded, bool RunSucceeded)
{
    Clear();
    FColumns = std::move(Loaded.FColumns);
    FWritten = Loaded.FWritten;
    AddColumns();
    ShowAfterRun(RunSucceeded);
}

void TBaselineComparison::ShowAfterRun(bool RunSucceeded)
{
    // The new run's rows carry no values yet.
    FShown = false;
    if (!FColumns || !RunSucceeded)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FColumns->Show(FGrid);
    FGrid.Resort();
    FShown = true;
    QApplication::restoreOverrideCursor();
}

void TBaselineComparison::Clear()
{
    if (!FColumns)
        return;
    TBaselineColumns::Hide(FGrid);
    TBaselineColumns::RemoveColumns(FGrid);
    FColumns.reset();
    FShown = false;
}

void TBaselineComparison::SetGrouping(TSymbolGrouping Grouping, const std::function<void()> &regroupCurrent)
{
    // The baseline's rows go first, so that the engine regroups only the rows of this build; the
    // comparison is then shown again over the new trees.
    if (FColumns)
        FColumns->SetGrouping(Grouping);
    const bool shown = FShown;
    if (shown)
        TBaselineColumns::Hide(FGrid);
    regroupCurrent();
    if (shown)
        ShowAfterRun(true);
}

QString TBaselineComparison::MapFileName() const
{
    return FColumns ? FColumns->MapFileName() : QString();
}

QString TBaselineComparison::Description() const
{
    if (!FColumns)
        return QString();
    return Format(QStringLiteral("compared with %s, %s"),
                  {QFileInfo(FColumns->MapFileName()).fileName(),
                   FWritten.toString(QStringLiteral("yyyy-MM-dd HH:mm"))});
}

bool TBaselineComparison::AddSymbolRowsOf(TITreeNode *Node)
{
    return FColumns && FColumns->AddSymbolRowsOf(FCurrent, Node);
}

QString TBaselineComparison::OldSizeCellText(const TITreeNode *Node)
{
    if (!TBaselineColumns::HasBaselineValues(Node))
        return QString();
    const qint64 value = TBaselineColumns::OldSize(Node);
    if (value != 0)
        return QString::number(value);
    return Node->Parent() ? QString() : QStringLiteral("-");
}

QString TBaselineComparison::ChangeCellText(const TITreeNode *Node)
{
    return TBaselineColumns::HasBaselineValues(Node) ? SignedNumber(TBaselineColumns::Change(Node))
                                                     : QString();
}

void TBaselineComparison::AddColumns()
{
    TBaselineColumns::AddColumns(FGrid);
    // The old size with its bar; the signed change with its bar in the colour of growth or shrinkage.
    FGrid.Column(TBaselineColumns::OldSizeColumn)->OnDrawNodeContent =
        [this](TITreeView *Sender, QPainter &Canvas, const QRect &Cell, TITreeNode *Node, int Column,
               TITreeViewNodeStates States) {
            const qint64 value = TBaselineColumns::OldSize(Node);
            const TITreeNode *parent = Node->Parent();
            const bool selected = States.testFlag(nsSelected);
            if (value > 0 && FColumns) {
                const float ratio = float(double(value) / double(parent ? TBaselineColumns::OldSize(parent)
                                                                        : FColumns->MaxOldUnitSize()));
                PaintUnitBar(Canvas, UnitBarRect(Cell, ratio),
                             parent ? SymbolBarColor(Node->Level()) : UnitCodeBarColor, selected);
            }
            PaintCellText(Canvas, Cell, OldSizeCellText(Node), Sender->CellTextColor(selected, Column));
        };
    FGrid.Column(TBaselineColumns::ChangeColumn)->OnDrawNodeContent =
        [this](TITreeView *Sender, QPainter &Canvas, const QRect &Cell, TITreeNode *Node, int Column,
               TITreeViewNodeStates States) {
            const qint64 change = TBaselineColumns::Change(Node);
            const TITreeNode *parent = Node->Parent();
            const bool selected = States.testFlag(nsSelected);
            if (change != 0 && FColumns) {
                // A symbol's change against the larger of its parent's two sizes: the share of the
                // parent that moved.
                const qint64 scale = parent ? std::max(parent->Tag(), TBaselineColumns::OldSize(parent))
                                            : FColumns->MaxUnitChange();
                PaintUnitBar(Canvas, UnitBarRect(Cell, float(double(qAbs(change)) / double(scale))),
                             change > 0 ? GrowthBarColor : ShrinkageBarColor, selected);
            }
            PaintCellText(Canvas, Cell, ChangeCellText(Node), Sender->CellTextColor(selected, Column));
        };
}
