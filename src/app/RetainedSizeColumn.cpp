#include "app/RetainedSizeColumn.h"

#include "analysis/MapAnalysis.h"
#include "app/UnitColumnPainting.h"
#include "base/XLists.h"
#include "controls/CITVClassic.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Column = TMapAnalysis::RetainedSizeColumn;
// The column's string: the size as a number, so that the column sorts numerically; its object marks
// an upper bound.
constexpr int Item = Column - 1;
constexpr qint64 UpperBound = 1;

} // namespace

TRetainedSizeColumn::TRetainedSizeColumn(TITreeView &Grid, std::function<const TUnitGraphBuild *()> Graph)
    : FGrid(Grid), FGraph(std::move(Graph))
{
    TITreeViewColumn *const column = FGrid.Column(Column);
    column->SetHint(u"The code that would leave the program with the unit: its own and that of every unit "
                    u"only it leads to, from the .dcu files and sources below the search folder. \"<=\": an "
                    u"upper bound, units on the way have unknown uses; \"-\": no chain from the program is "
                    u"known. Retained sizes overlap, so the status bar does not add them up."_s);
    column->OnGetNodeContentText = [](TITreeView *, TITreeNode *node, int) { return CellText(node); };
    column->OnDrawNodeContent = [](TITreeView *sender, QPainter &canvas, const QRect &cell, TITreeNode *node,
                                   int columnIndex, TITreeViewNodeStates states) {
        PaintCellText(canvas, cell, CellText(node),
                      sender->CellTextColor(states.testFlag(nsSelected), columnIndex));
    };
    FGrid.OnColumnsChanged = [this](TInteractiveTreeView *) { ColumnsChanged(); };
}

TRetainedSizeColumn::~TRetainedSizeColumn()
{
    FGrid.OnColumnsChanged = nullptr;
}

QString TRetainedSizeColumn::CellText(const TITreeNode *Node)
{
    const TXStringList *const strings = Node->ColumnStringsIfAny();
    if (Node->Parent() || !strings || strings->Count() <= Item)
        return {};
    const QString &size = strings->Get(Item);
    return strings->GetData(Item) == UpperBound ? u"<= "_s + size : size;
}

void TRetainedSizeColumn::Refresh()
{
    FFilled = false;
    ColumnsChanged();
}

void TRetainedSizeColumn::ColumnsChanged()
{
    if (!FFilled && FGrid.Column(Column)->Visible())
        Fill();
}

void TRetainedSizeColumn::Fill()
{
    const TUnitGraphBuild *const build = FGraph ? FGraph() : nullptr;
    if (!build)
        return;
    FFilled = true;
    const TUnitGraph &graph = build->Graph;
    FGrid.BeginUpdate();
    for (TITreeNode *node = FGrid.Items().GetFirstNode(); node; node = node->NextSibling()) {
        TXStringList *const strings = node->ColumnStrings();
        while (strings->Count() <= Item)
            strings->Add(QString());
        // A unit only a baseline has is not linked: it keeps an empty cell.
        const std::optional<int> unit = graph.IndexOf(node->Text());
        QString text;
        qint64 bound = 0;
        if (unit && graph.Reachable(*unit)) {
            text = QString::number(graph.RetainedSize(*unit));
            bound = graph.RetainedIsUpperBound(*unit) ? UpperBound : 0;
        } else if (unit) {
            text = u"-"_s;
        }
        strings->Put(Item, text);
        strings->SetData(Item, bound);
    }
    FGrid.EndUpdate();
    if (FGrid.SortColumnIndex() == Column)
        FGrid.Resort();
}
