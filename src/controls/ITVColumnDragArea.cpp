#include "controls/ITVColumnDragArea.h"

#include "controls/CInteractiveTreeView.h"
#include "controls/ITVPixels.h"

#include <cstdlib>

TITVColumnDragArea::TITVColumnDragArea(TInteractiveTreeView *View, TITVColumn *Column, const QImage &Button,
                                       const QPoint &Start, int ButtonLeft)
    : TICCArea(View), FView(View), FColumn(Column), FButton(Button), FStart(Start),
      FGrabOffset(Start.x() - ButtonLeft), FMouse(Start)
{}

void TITVColumnDragArea::Paint(QPainter &canvas, QImage &buffer)
{
    if (!FCopyShown)
        return;
    const int header = FView->HeaderHeight();
    if (FView->HeaderVisible() && FMouse.y() >= 0 && FMouse.y() < header)
        FillPixels(buffer, QRect(FView->ColumnDropMarkerX(FMouse.x()) - 1, 0, MarkerWidth, header),
                   ColorToQRgb(clWindowText));
    canvas.save();
    canvas.setOpacity(CopyAlpha / 255.0);
    canvas.drawImage(FMouse.x() - FGrabOffset, 0, FButton);
    canvas.restore();
}

void TITVColumnDragArea::MouseMove(int x, int y)
{
    FMouse = QPoint(x, y);
    if (std::abs(x - FStart.x()) > ShowDistance || std::abs(y - FStart.y()) > ShowDistance)
        FCopyShown = true;
    FView->update();
}

void TITVColumnDragArea::MouseUp(int x, int y)
{
    TInteractiveTreeView *const view = FView;
    if (view->rect().contains(x, y))
        view->DropColumn(FColumn, x);
    view->ReleaseCapture(this);
    view->update();
}
