#pragma once
// The scrollbar area of the interactive controls: two arrow buttons, the track on both sides of the
// thumb, and the thumb, all drawn into the control's back buffer.

#include "controls/ICCAreas.h"

#include <functional>

// Parts along the bar; the numbers are the part codes.
enum TICCScrollBarPart {
    sbpNone = 0,
    sbpFirstArrow = 1,
    sbpSecondArrow = 2,
    sbpTrackBefore = 3,
    sbpThumb = 4,
    sbpTrackAfter = 5,
};

class TICCScrollBar : public TICCSquareArea
{
public:
    using TChangeEvent = std::function<void(TICCScrollBar *Sender)>;

    static constexpr int FirstRepeatMs = 500;
    static constexpr int NextRepeatMs = 50;

    // Persistent and stopping; its rectangle is set by TInteractiveCustomControl::PlaceScrollBars.
    TICCScrollBar(TInteractiveCustomControl *owner, Qt::Orientation orientation);
    ~TICCScrollBar() override;

    // The setters store the owner's values as they are and fire nothing; only moves notify.
    int Minimum() const { return FMinimum; }
    void SetMinimum(int minimum) { FMinimum = minimum; }
    int Maximum() const { return FMaximum; }
    void SetMaximum(int maximum) { FMaximum = maximum; }
    int Position() const { return FPosition; }
    void SetPosition(int position) { FPosition = position; }
    int Page() const { return FPage; }
    void SetPage(int page) { FPage = page; }
    int SmallStep() const { return FSmallStep; }
    void SetSmallStep(int step) { FSmallStep = step; }
    Qt::Orientation Orientation() const { return FOrientation; }
    void SetOrientation(Qt::Orientation orientation) { FOrientation = orientation; }
    // Fired by every move that changes the position.
    TChangeEvent OnChange;

    TICCScrollBarPart PressedPart() const { return FPressedPart; }
    TICCScrollBarPart HoveredPart() const { return FHoveredPart; }
    bool Dragging() const { return FDragging; }

    // Geometry along the bar, relative to its start.
    int Length() const;
    int ArrowLength() const;
    int TrackLength() const;
    int ThumbLength() const;
    int ThumbOffset() const;
    TICCScrollBarPart PartAt(const QPoint &p) const;
    QRect PartRect(TICCScrollBarPart part) const;
    // The position a context menu opened at p stands for ("Scroll Here").
    int MenuPositionAt(const QPoint &p) const;
    // Highest position the moves reach.
    int LastPosition() const;

    void MoveForward(int amount);
    void MoveBack(int amount);
    void MoveToStart();
    void MoveToEnd();
    // "Scroll Here": to the start, then forward to the position the menu stood for.
    void ScrollHere(int menuPosition);

    void Paint(QPainter &canvas, QImage &buffer) override;
    void Cancel() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    void MouseUp(int x, int y) override;
    void ContextPopup(int x, int y, bool &allowPopup) override;
    void DblClick(bool &handled) override;
    void PressEnded() override;

protected:
    virtual void DoChange();

private:
    int Along(const QPoint &p) const;
    QRect SpanRect(int offset, int length) const;
    void ChangePosition(int position);
    void PressPart(TICCScrollBarPart part, const QPoint &p);
    void StepPart(TICCScrollBarPart part);
    void RepeatTick();
    void EndPress();
    void DragTo(const QPoint &p);
    void UpdateHoveredPart(const QPoint &p);
    void PaintButton(QPainter &canvas, QImage &buffer, TICCScrollBarPart part);
    void PaintTrack(QImage &buffer, TICCScrollBarPart part);

    Qt::Orientation FOrientation;
    int FMinimum = 0;
    int FMaximum = 100;
    int FPosition = 0;
    int FPage = 10;
    int FSmallStep = 1;
    TICCScrollBarPart FPressedPart = sbpNone;
    TICCScrollBarPart FHoveredPart = sbpNone;
    QPoint FMousePosition;
    bool FPointerOver = false; // the bar saw the pointer last (a press needs no move before it)
    bool FDragging = false;
    int FDragStartCoordinate = 0;
    int FDragStartPosition = 0;
};
