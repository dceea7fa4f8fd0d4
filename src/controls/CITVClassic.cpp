#include "controls/CITVClassic.h"

#include "controls/ITVRowRenderInformation.h"

#include <QtGlobal>

namespace {

class TITreeViewRowRenderInformation : public TITVRowRenderInformation
{
public:
    TITreeViewRowRenderInformation(TITreeView *View, QPainter &Canvas, QImage &Buffer, const QRect &Rect)
        : TITVRowRenderInformation(View, Canvas, Buffer, Rect), FTreeView(View)
    {}

protected:
    void BeforePaintRow() override
    {
        if (FTreeView->OnBeforeRenderNode)
            FTreeView->OnBeforeRenderNode(FTreeView, FNode);
    }

    void PaintCell(int Position, const QString &Text) override
    {
        TITreeViewColumn *const column =
            FColumns.empty() ? nullptr : FTreeView->Column(FColumns[size_t(Position)].Index);
        if (!FNode || !column || !column->HasDrawHooks()) {
            TITVRowRenderInformation::PaintCell(Position, Text);
            return;
        }
        PaintCellBackground(Position);
        const QRect cell = CellRect(Position);
        if (column->OnDrawNode)
            column->OnDrawNode(FTreeView, FCanvas, cell, FNode, column->Index(), States());
        if (column->OnDrawNodeContent) {
            column->OnDrawNodeContent(FTreeView, FCanvas, cell, FNode, column->Index(), States());
            return;
        }
        PaintCellContent(Position, Text);
    }

    QRgb CellBackColor(int Position) override
    {
        return Ask(FTreeView->OnDrawCellBackColor, Position,
                   TITVRowRenderInformation::CellBackColor(Position));
    }

    QRgb CellForeColor(int Position) override
    {
        return Ask(FTreeView->OnDrawCellForeColor, Position,
                   TITVRowRenderInformation::CellForeColor(Position));
    }

    void PrepareCellFont(int Position) override
    {
        if (!FNode || !FTreeView->OnDrawCellFont)
            return;
        QFont font = FCanvas.font();
        FTreeView->OnDrawCellFont(FTreeView, FNode, ColumnIndex(Position), States(), font);
        FCanvas.setFont(font);
    }

private:
    TITreeViewNodeStates States() const { return NodeSelected() ? nsSelected : TITreeViewNodeStates(); }
    int ColumnIndex(int Position) const { return FColumns.empty() ? 0 : FColumns[size_t(Position)].Index; }

    QRgb Ask(const TITVCellColorEvent &Event, int Position, QRgb Computed)
    {
        if (!FNode || !Event)
            return Computed;
        TColor color = RGBColor(qRed(Computed), qGreen(Computed), qBlue(Computed));
        Event(FTreeView, FNode, ColumnIndex(Position), States(), color);
        return ColorToQRgb(color);
    }

    TITreeView *const FTreeView;
};

} // namespace

void TITreeViewColumn::Assign(const TITVColumn &Source)
{
    TITVColumn::Assign(Source);
    if (const auto *const source = dynamic_cast<const TITreeViewColumn *>(&Source)) {
        OnDrawNode = source->OnDrawNode;
        OnDrawNodeContent = source->OnDrawNodeContent;
        OnGetNodeContentText = source->OnGetNodeContentText;
    }
}

TITreeView::TITreeView(QWidget *parent) : TInteractiveTreeView(parent)
{
    Columns().SetColumnFactory([] { return std::make_unique<TITreeViewColumn>(); });
    SetHotTrack(!IsRemoteSession());
}

TITreeViewColumn *TITreeView::Column(int Index) const
{
    return static_cast<TITreeViewColumn *>(Columns().Items(Index));
}

TITreeViewColumn *TITreeView::AddColumn(const QString &Caption, int Width, Qt::Alignment Alignment,
                                        TITVSortKind SortKind)
{
    auto *const column = static_cast<TITreeViewColumn *>(Columns().Add());
    column->SetCaption(Caption);
    column->SetWidth(Width);
    column->SetAlignment(Alignment);
    column->SetSortKind(SortKind);
    return column;
}

QString TITreeView::DisplayedCellText(TITreeNode *Node, int ColumnIndex)
{
    if (ColumnIndex >= 0 && ColumnIndex < Columns().Count()) {
        const TITreeViewColumn *const column = Column(ColumnIndex);
        if (column->OnDrawNodeContent && column->OnGetNodeContentText)
            return column->OnGetNodeContentText(this, Node, ColumnIndex);
    }
    return TInteractiveTreeView::DisplayedCellText(Node, ColumnIndex);
}

std::unique_ptr<TITVRowRenderInformation> TITreeView::CreateRowRenderer(QPainter &Canvas, QImage &Buffer,
                                                                        const QRect &Rect)
{
    return std::make_unique<TITreeViewRowRenderInformation>(this, Canvas, Buffer, Rect);
}

bool IsRemoteSession()
{
    if (qEnvironmentVariableIsSet("SSH_CONNECTION") || qEnvironmentVariableIsSet("SSH_CLIENT"))
        return true;
    // "host:0" names a display on another machine; ":0" and "unix:0" are local.
    const QString display = qEnvironmentVariable("DISPLAY");
    const QString host = display.section(QLatin1Char(':'), 0, 0);
    return !host.isEmpty() && host != QLatin1String("unix") && host != QLatin1String("localhost");
}
