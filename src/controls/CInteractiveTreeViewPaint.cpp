// Scrollbars, the render of the whole control and the header band of the tree-grid engine.
#include "controls/CInteractiveTreeView.h"

#include "controls/ITVPixels.h"
#include "controls/ITVRowRenderInformation.h"

#include <algorithm>

namespace {

constexpr int HorzSmallStep = 8;
constexpr int HandleHalf = TInteractiveTreeView::ResizeHandleWidth / 2;

} // namespace

QRect TInteractiveTreeView::RowsRect() const
{
    const int top = FHeaderVisible && FHeaderHeight > 0 && Columns().Count() > 0 ? FHeaderHeight : 0;
    const int right = width() - (FVertScrollBar ? ScrollBarExtent() : 0);
    const int bottom = height() - (FHorzScrollBar ? ScrollBarExtent() : 0);
    return QRect(0, top, std::max(right, 0), std::max(bottom - top, 0));
}

int TInteractiveTreeView::AvailableWidth() const
{
    return std::max(width() - (FVertScrollBar ? ScrollBarExtent() : 0), 0);
}

void TInteractiveTreeView::ClampHorzScrollPosition()
{
    const int limit = std::max(ColumnsWidth() - AvailableWidth(), 0);
    SetHorzScrollPosition(std::clamp(HorzScrollPosition(), 0, limit));
}

std::unique_ptr<TITVRowRenderInformation>
TInteractiveTreeView::CreateRowRenderer(QPainter &Canvas, QImage &Buffer, const QRect &Rect)
{
    return std::make_unique<TITVRowRenderInformation>(this, Canvas, Buffer, Rect);
}

void TInteractiveTreeView::DoScrolled()
{
    if (OnScrolled)
        OnScrolled(this);
}

// ---- scrollbars

void TInteractiveTreeView::ValidateTopNode()
{
    TITreeNode *top = TopNode();
    if (!top || !Items().Contains(top))
        top = RowNode(0);
    // A top node hidden inside a collapsed subtree shows as its nearest displayed ancestor; one a
    // filter hides, from the first row.
    while (top && RowIndex(top) < 0 && top->Parent())
        top = top->Parent();
    if (top && RowIndex(top) < 0)
        top = RowNode(0);
    SetTopNode(top);
}

void TInteractiveTreeView::SetupVertScrollBar(int AvailableHeight)
{
    const int rows = int(Rows().size());
    const int top = std::max(RowIndex(TopNode()), 0);
    if (top < 1 && FRowHeight * (rows - top) < AvailableHeight) {
        if (FVertScrollBar)
            FreeArea(std::exchange(FVertScrollBar, nullptr));
        return;
    }
    if (!FVertScrollBar) {
        FVertScrollBar = AddScrollBar(Qt::Vertical);
        FVertScrollBar->OnChange = [this](TICCScrollBar *bar) { VertScrollBarChanged(bar); };
    }
    FVertScrollBar->SetMinimum(0);
    FVertScrollBar->SetMaximum(rows);
    FVertScrollBar->SetPosition(top);
    FVertScrollBar->SetPage(std::min(std::max(AvailableHeight, 0) / FRowHeight, rows - top));
}

void TInteractiveTreeView::SetupHorzScrollBar(int Available)
{
    const int total = ColumnsWidth();
    const int position = HorzScrollPosition();
    if (position <= 0 && total <= Available) {
        if (FHorzScrollBar)
            FreeArea(std::exchange(FHorzScrollBar, nullptr));
        return;
    }
    if (!FHorzScrollBar) {
        FHorzScrollBar = AddScrollBar(Qt::Horizontal);
        FHorzScrollBar->OnChange = [this](TICCScrollBar *bar) { HorzScrollBarChanged(bar); };
    }
    FHorzScrollBar->SetMinimum(0);
    FHorzScrollBar->SetSmallStep(HorzSmallStep);
    FHorzScrollBar->SetPage(Available);
    FHorzScrollBar->SetMaximum(std::max(total + 1, position + Available));
    FHorzScrollBar->SetPosition(position);
}

void TInteractiveTreeView::KeepTopRowWithinRows(int AvailableHeight)
{
    const int rows = int(Rows().size());
    const int lastTop = std::max(rows - std::max(AvailableHeight, 0) / FRowHeight, 0);
    if (RowIndex(TopNode()) > lastTop)
        SetTopNode(RowNode(lastTop));
}

void TInteractiveTreeView::SettleScrollBars(const QRect &Client)
{
    const int rows = int(Rows().size());
    ValidateTopNode();
    // Rows collapsed or removed below a scrolled view would leave it showing a few rows from mid-list.
    const bool shrunk = rows < FSettledRowCount;
    FSettledRowCount = rows;
    const int header = FHeaderVisible && Columns().Count() > 0 ? FHeaderHeight : 0;
    // Each bar takes room from the other's direction, so a second pass settles what the first changed.
    for (int pass = 0; pass < 2; ++pass) {
        const bool hadVert = FVertScrollBar != nullptr;
        const bool hadHorz = FHorzScrollBar != nullptr;
        const int available = Client.height() - header - (FHorzScrollBar ? ScrollBarExtent() : 0);
        if (shrunk)
            KeepTopRowWithinRows(available);
        SetupVertScrollBar(available);
        SetupHorzScrollBar(AvailableWidth());
        if (hadVert == (FVertScrollBar != nullptr) && hadHorz == (FHorzScrollBar != nullptr))
            break;
    }
}

void TInteractiveTreeView::VertScrollBarChanged(TICCScrollBar *Bar)
{
    if (TITreeNode *const node = RowNode(Bar->Position()))
        SetTopNode(node);
    RequestRepaint();
    DoScrolled();
}

void TInteractiveTreeView::HorzScrollBarChanged(TICCScrollBar *Bar)
{
    SetHorzScrollPosition(Bar->Position());
    RequestRepaint();
    DoScrolled();
}

// ---- render

void TInteractiveTreeView::Render(QPainter &canvas, QImage &buffer)
{
    const QRect client = rect();
    SettleScrollBars(client);
    const int header = FHeaderVisible && FHeaderHeight > 0 && Columns().Count() > 0 ? FHeaderHeight : 0;
    if (header > 0) {
        const QRect headerRect(0, 0, client.width(), header);
        SetClipRect(headerRect);
        RenderHeader(buffer, headerRect);
    }
    const QRect rows = RowsRect();
    SetClipRect(rows);
    if (!rows.isEmpty())
        RenderRows(canvas, buffer, rows);
    SetClipRect(client);

    const QRect corner = PlaceScrollBars(FVertScrollBar, FHorzScrollBar,
                                         QRect(0, header, client.width(), client.height() - header));
    for (TICCScrollBar *const bar : {FVertScrollBar, FHorzScrollBar})
        if (bar)
            BringToFront(bar);
    if (FVertScrollBar && FHorzScrollBar)
        FillPixels(buffer, corner, ColorToQRgb(clBtnFace));
}

void TInteractiveTreeView::RenderRows(QPainter &Canvas, QImage &Buffer, const QRect &Rows)
{
    CreateRowRenderer(Canvas, Buffer, Rows)->PaintRows();
}

void TInteractiveTreeView::RenderHeader(QImage &Buffer, const QRect &Header)
{
    std::vector<TICCResize *> handles;
    int x = Header.left() - HorzScrollPosition();
    for (TITVColumn *const column : Columns().OrderedByRank(false)) {
        if (!column->Visible())
            continue;
        const int right = x + column->Width();
        if (right >= Header.left()) {
            if (column->Width() > 0)
                AddHeaderButton(column, QRect(x, Header.top(), column->Width(), Header.height()));
            if (!column->AutoWidth())
                handles.push_back(AddColumnResizeHandle(
                    column, QRect(right - HandleHalf, Header.top(), ResizeHandleWidth, Header.height())));
        }
        x = right;
        if (right >= Header.right() + 1)
            break;
    }
    if (x <= Header.right()) {
        const QRect rest(x, Header.top(), Header.right() + 1 - x, Header.height());
        FillPixels(Buffer, rest, ColorToQRgb(clBtnHighlight));
        AddArea(rest, akHeaderRest);
    }
    for (TICCResize *const handle : handles)
        BringToFront(handle);
}

TICCText3DSortButton *TInteractiveTreeView::AddHeaderButton(TITVColumn *Column, const QRect &Rect)
{
    TICCText3DSortButton *const button = AddSortButton(Rect, Column->Caption(), akHeaderButton, Column);
    button->SetHint(Column->Hint());
    button->SetMultiLang({FHeaderMultiLang, dtApplication});
    if (!FHeaderParentFont)
        button->SetFont(FHeaderFont);
    if (Column == SortColumn()) {
        button->SetTinted(true);
        button->SetArrow(SortDirection() == sdAscending ? TICCSortArrow::Up : TICCSortArrow::Down);
    }
    button->SetFlat(Column->SortKind() == iskNoSort);
    button->SetDown(Column == FPressedHeaderColumn && LeftButtonHeld());
    button->OnDragStart = [this](TICCSquareArea *sender, const QPoint &position) {
        StartColumnDrag(sender, position);
    };
    return button;
}

TICCResize *TInteractiveTreeView::AddColumnResizeHandle(TITVColumn *Column, const QRect &Rect)
{
    TICCResize *const handle = AddResize(
        Rect, Qt::SplitHCursor, [this](TICCResize *sender, const QPoint &) { ResizeMoved(sender); },
        akResizeHandle, Column);
    handle->OnStart = [this](TICCResize *sender, const QPoint &) { ResizeStarted(sender); };
    handle->OnEnd = [this](TICCResize *, const QPoint &) { ResizeEnded(); };
    return handle;
}
