#pragma once
// The area that holds the mouse while a header button is dragged to a new place: it draws a
// translucent copy of the button under the mouse and a marker where the column would land, and
// hands the release point to the grid.

#include "controls/ICCAreas.h"

class TInteractiveTreeView;
class TITVColumn;

class TITVColumnDragArea : public TICCArea
{
public:
    static constexpr int CopyAlpha = 200;
    static constexpr int MarkerWidth = 3;
    static constexpr int ShowDistance = 2;

    // Button is the face of the dragged header button, grabbed from the back buffer; Start is where
    // the drag began and ButtonLeft the button's left edge at that moment.
    TITVColumnDragArea(TInteractiveTreeView *View, TITVColumn *Column, const QImage &Button,
                       const QPoint &Start, int ButtonLeft);

    TITVColumn *Column() const { return FColumn; }
    // True once the mouse went more than ShowDistance pixels away from the start.
    bool CopyShown() const { return FCopyShown; }
    QPoint MousePosition() const { return FMouse; }

    bool Contains(const QPoint &) const override { return true; }
    void Paint(QPainter &canvas, QImage &buffer) override;
    void MouseMove(int x, int y) override;
    void MouseUp(int x, int y) override;

private:
    TInteractiveTreeView *const FView;
    TITVColumn *const FColumn;
    const QImage FButton;
    const QPoint FStart;
    const int FGrabOffset;
    QPoint FMouse;
    bool FCopyShown = false;
};
