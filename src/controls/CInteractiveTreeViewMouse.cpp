// Mouse input of the tree-grid engine: row presses, header clicks, column resize and reorder, the
// wheel, hot tracking and the menus a right press opens.
#include "controls/CInteractiveTreeView.h"

#include "controls/ITVColumnDragArea.h"
#include "controls/ITVColumnMenu.h"
#include "controls/ITVColumnSizeMenu.h"
#include "controls/ITVCopyMenu.h"

#include <QCursor>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int AutoScrollStep = 8;
constexpr int AutoScrollDistanceUnit = 16;

} // namespace

void TInteractiveTreeView::DoColumnResize(TITVColumn *Column)
{
    if (OnColumnResize)
        OnColumnResize(Column);
}

void TInteractiveTreeView::mousePressEvent(QMouseEvent *e)
{
    FClickColumnIndex = ColumnAt(e->position().toPoint().x());
    TInteractiveCustomControl::mousePressEvent(e);
}

void TInteractiveTreeView::mouseMoveEvent(QMouseEvent *e)
{
    TInteractiveCustomControl::mouseMoveEvent(e);
    if (!FHotTrack || !isEnabled())
        return;
    const QPoint p = e->position().toPoint();
    TITreeNode *const hot = dynamic_cast<TICCScrollBar *>(AreaAt(p)) ? nullptr : RowAt(p.y());
    if (hot != FHotNode) {
        FHotNode = hot;
        RequestRepaint();
    }
}

void TInteractiveTreeView::MouseLeave()
{
    TInteractiveCustomControl::MouseLeave();
    if (FHotNode) {
        FHotNode = nullptr;
        RequestRepaint();
    }
}

void TInteractiveTreeView::wheelEvent(QWheelEvent *e)
{
    if (FVertScrollBar) {
        if (e->angleDelta().y() < 1)
            FVertScrollBar->MoveForward(WheelRows);
        else
            FVertScrollBar->MoveBack(WheelRows);
    }
    e->accept();
}

void TInteractiveTreeView::focusInEvent(QFocusEvent *e)
{
    TInteractiveCustomControl::focusInEvent(e);
    if (FSelectedNode)
        RequestRepaint();
}

void TInteractiveTreeView::focusOutEvent(QFocusEvent *e)
{
    TInteractiveCustomControl::focusOutEvent(e);
    if (FSelectedNode)
        RequestRepaint();
}

// ---- presses and clicks

void TInteractiveTreeView::RowPress(TITreeNode *Node)
{
    const Qt::KeyboardModifiers modifiers = MouseModifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    if (!FMultiSelect || (!ctrl && !shift)) {
        SetSelectedNode(Node);
    } else if (!shift) {
        Node->SetSelected(!Node->Selected());
        if (Node->Selected())
            FSelectedNode = Node;
        DoSelectionChanged();
    } else {
        if (!ctrl)
            DeselectAllNodes();
        RangeSelect(Node);
        DoSelectionChanged();
    }
    ScrollIntoView(FSelectedNode);
}

void TInteractiveTreeView::AreaMouseDown(TICCArea *area)
{
    switch (area->Kind()) {
    case akExpandZone: {
        TITreeNode *const node = area->ObjectAs<TITreeNode>();
        node->SetExpanded(!node->Expanded());
        break;
    }
    case akRow:
        RowPress(area->ObjectAs<TITreeNode>());
        break;
    case akHeaderButton:
        FPressedHeaderColumn = area->ObjectAs<TITVColumn>();
        break;
    default:
        break;
    }
}

void TInteractiveTreeView::EmptyMouseDown()
{
    SetSelectedNode(nullptr);
}

void TInteractiveTreeView::AreaClick(TICCArea *area)
{
    if (area->Kind() == akHeaderButton)
        HeaderClick(area->ObjectAs<TITVColumn>()->Index());
    FPressedHeaderColumn = nullptr;
}

void TInteractiveTreeView::AreaSlowClick(TICCArea *area)
{
    // A slow click would start editing the cell; the grid is read-only, so it only takes the focus.
    if (area->Kind() == akRow)
        setFocus();
    FPressedHeaderColumn = nullptr;
}

void TInteractiveTreeView::AreaDblClick(TICCArea *area)
{
    switch (area->Kind()) {
    case akExpandZone:
    case akRow: {
        TITreeNode *const node = area->ObjectAs<TITreeNode>();
        node->SetExpanded(!node->Expanded());
        break;
    }
    case akResizeHandle:
        CancelCapture();
        StopRepeatTimer();
        FResizeColumn = nullptr;
        AutoSizeColumn(area->ObjectAs<TITVColumn>());
        break;
    default:
        break;
    }
}

void TInteractiveTreeView::CanDblClick(bool &allow)
{
    const bool onHeader = FHeaderVisible && Columns().Count() > 0 && MousePosition().y() < FHeaderHeight;
    if (onHeader || !AreaUnderMouse())
        allow = false;
}

// ---- right button

void TInteractiveTreeView::RowContextPress(TITreeNode *Node)
{
    if (!FMultiSelect || !Node->Selected())
        SetSelectedNode(Node);
    ScrollIntoView(FSelectedNode);
}

void TInteractiveTreeView::AreaContextPopup(TICCArea *area, bool &allowPopup)
{
    switch (area->Kind()) {
    case akExpandZone:
    case akRow:
        RowContextPress(area->ObjectAs<TITreeNode>());
        break;
    case akHeaderButton:
    case akHeaderRest:
        allowPopup = false;
        ShowColumnMenu();
        break;
    case akResizeHandle:
        allowPopup = false;
        ShowColumnSizeMenu(area->ObjectAs<TITVColumn>());
        break;
    default:
        break;
    }
}

void TInteractiveTreeView::EmptyContextPopup(bool &)
{
    SetSelectedNode(nullptr);
}

QMenu *TInteractiveTreeView::GetPopupMenu()
{
    if (PopupMenu() || FDestroying)
        return PopupMenu();
    QMenu *const menu = RowsMenu();
    FCopyMenu->Prepare();
    return menu;
}

QMenu *TInteractiveTreeView::RowsMenu()
{
    if (!FCopyMenu)
        FCopyMenu = std::make_unique<TITVCopyMenu>(this);
    return FCopyMenu->Menu();
}

void TInteractiveTreeView::ShowColumnMenu()
{
    TITVColumnMenu::Popup(this, QCursor::pos());
}

void TInteractiveTreeView::ShowColumnSizeMenu(TITVColumn *Column)
{
    TITVColumnSizeMenu::Popup(this, Column, QCursor::pos());
}

// ---- column resize

void TInteractiveTreeView::ResizeStarted(TICCResize *Handle)
{
    FResizeColumn = Handle->ObjectAs<TITVColumn>();
    FResizeStartWidth = FResizeColumn->Width();
    FResizeStartX = Handle->StartPosition().x();
    FResizeMouseX = FResizeStartX;
    // The handle leaves the area list with its capture; the next render registers it again.
    RequestRepaint();
}

void TInteractiveTreeView::ApplyResize(int MouseX)
{
    if (!FResizeColumn)
        return;
    // Only the pointer's own movement counts: were the auto-scroll's offset added, every scroll step
    // would widen the column again for as long as the button is held.
    const int moved = MouseX - FResizeStartX;
    const int before = FResizeColumn->Width();
    FResizeColumn->SetWidth(std::max(FResizeStartWidth + moved, 0));
    if (FResizeColumn->Width() != before) {
        RequestRepaint();
        DoColumnResize(FResizeColumn);
    }
}

void TInteractiveTreeView::ResizeMoved(TICCResize *Handle)
{
    FResizeMouseX = Handle->CurrentPosition().x();
    ApplyResize(FResizeMouseX);
    if (FResizeColumn && ColumnLeft(FResizeColumn) + FResizeColumn->Width() > AvailableWidth()) {
        if (!RepeatTimerActive())
            ResizeAutoScroll();
    } else {
        StopRepeatTimer();
    }
}

void TInteractiveTreeView::ResizeAutoScroll()
{
    if (!FResizeColumn) {
        StopRepeatTimer();
        return;
    }
    const int beyond = ColumnLeft(FResizeColumn) + FResizeColumn->Width() - AvailableWidth();
    if (beyond <= 0) {
        StopRepeatTimer();
        return;
    }
    SetHorzScrollPosition(HorzScrollPosition() + AutoScrollStep * (beyond / AutoScrollDistanceUnit + 1));
    ApplyResize(FResizeMouseX);
    RequestRepaint();
    if (!RepeatTimerActive())
        StartRepeatTimer(ResizeScrollMs, [this] { ResizeAutoScroll(); });
}

void TInteractiveTreeView::ResizeEnded()
{
    StopRepeatTimer();
    FResizeColumn = nullptr;
    ClampHorzScrollPosition();
    RequestRepaint();
}

// ---- column reorder

void TInteractiveTreeView::StartColumnDrag(TICCSquareArea *Button, const QPoint &Position)
{
    TITVColumn *const column = Button->ObjectAs<TITVColumn>();
    if (column->Index() == 0 || Columns().Count() < 2)
        return;
    const QRect face = Button->Rect().intersected(BackBuffer().rect());
    auto drag = std::make_unique<TITVColumnDragArea>(this, column, BackBuffer().copy(face), Position,
                                                     Button->Rect().left());
    Capture(AddCustomArea(std::move(drag)));
}

TITVColumn *TInteractiveTreeView::ColumnDropTarget(int X) const
{
    const TITVColumnList shown = Columns().OrderedByRank(true);
    for (size_t i = 1; i < shown.size(); ++i)
        if (ColumnLeft(shown[i]) + shown[i]->Width() / 2 > X)
            return shown[i];
    return nullptr;
}

int TInteractiveTreeView::ColumnDropMarkerX(int X) const
{
    if (const TITVColumn *const target = ColumnDropTarget(X))
        return ColumnLeft(target);
    return ColumnsWidth() - HorzScrollPosition();
}

void TInteractiveTreeView::DropColumn(TITVColumn *Dragged, int X)
{
    TITVColumn *const target = ColumnDropTarget(X);
    if (target == Dragged)
        return;
    if (target)
        Dragged->MoveBefore(target);
    else
        Dragged->MoveToEnd();
    ColumnsChanged();
}
