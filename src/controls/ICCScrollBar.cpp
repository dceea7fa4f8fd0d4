#include "controls/ICCScrollBar.h"

#include "controls/CInteractiveCustomControl.h"
#include "controls/DMInteractiveCustomControl.h"
#include "controls/ICCDrawing.h"
#include "controls/ITVPixels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double HotFaceMix = 0.5;
constexpr double PressedTrackMix = 0.5;
constexpr int GripLines = 3;
constexpr int GripSpacing = 3;

} // namespace

TICCScrollBar::TICCScrollBar(TInteractiveCustomControl *owner, Qt::Orientation orientation)
    : TICCSquareArea(owner, QRect()), FOrientation(orientation)
{
    SetPersistent(true);
    SetStop(true);
}

TICCScrollBar::~TICCScrollBar()
{
    if (TDMInteractiveCustomControl::Exists())
        TDMInteractiveCustomControl::Instance().ForgetScrollBar(this);
    if (FPressedPart != sbpNone)
        Owner()->StopRepeatTimer();
}

// ---- geometry

int TICCScrollBar::Length() const
{
    return FOrientation == Qt::Vertical ? Rect().height() : Rect().width();
}

int TICCScrollBar::ArrowLength() const
{
    const int thickness = FOrientation == Qt::Vertical ? Rect().width() : Rect().height();
    return std::max(std::min(thickness, Length() / 2), 0);
}

int TICCScrollBar::TrackLength() const
{
    return std::max(Length() - 2 * ArrowLength(), 0);
}

int TICCScrollBar::ThumbLength() const
{
    const int track = TrackLength();
    const qint64 range = std::max(FMaximum - FMinimum, 1);
    const int thumb = static_cast<int>(qint64(track) * FPage / range);
    return std::min(std::max(thumb, ArrowLength()), track);
}

int TICCScrollBar::ThumbOffset() const
{
    const int arrow = ArrowLength();
    const int free = TrackLength() - ThumbLength();
    const qint64 span = std::max(FMaximum - FMinimum - FPage, 1);
    const qint64 offset = qint64(free) * (FPosition - FMinimum) / span;
    return arrow + static_cast<int>(std::clamp<qint64>(offset, 0, free));
}

int TICCScrollBar::Along(const QPoint &p) const
{
    return FOrientation == Qt::Vertical ? p.y() - Rect().top() : p.x() - Rect().left();
}

QRect TICCScrollBar::SpanRect(int offset, int length) const
{
    const QRect r = Rect();
    if (FOrientation == Qt::Vertical)
        return QRect(r.left(), r.top() + offset, r.width(), length);
    return QRect(r.left() + offset, r.top(), length, r.height());
}

TICCScrollBarPart TICCScrollBar::PartAt(const QPoint &p) const
{
    if (!Contains(p))
        return sbpNone;
    const int along = Along(p);
    const int arrow = ArrowLength();
    if (along < arrow)
        return sbpFirstArrow;
    if (along >= Length() - arrow)
        return sbpSecondArrow;
    const int thumbOffset = ThumbOffset();
    if (along < thumbOffset)
        return sbpTrackBefore;
    if (along < thumbOffset + ThumbLength())
        return sbpThumb;
    return sbpTrackAfter;
}

QRect TICCScrollBar::PartRect(TICCScrollBarPart part) const
{
    const int arrow = ArrowLength();
    const int thumbOffset = ThumbOffset();
    const int thumbEnd = thumbOffset + ThumbLength();
    switch (part) {
    case sbpFirstArrow:
        return SpanRect(0, arrow);
    case sbpSecondArrow:
        return SpanRect(Length() - arrow, arrow);
    case sbpTrackBefore:
        return SpanRect(arrow, thumbOffset - arrow);
    case sbpThumb:
        return SpanRect(thumbOffset, ThumbLength());
    case sbpTrackAfter:
        return SpanRect(thumbEnd, Length() - arrow - thumbEnd);
    case sbpNone:
        break;
    }
    return {};
}

int TICCScrollBar::MenuPositionAt(const QPoint &p) const
{
    const int arrow = ArrowLength();
    const double span = std::max(Length() - 2 * arrow, 1);
    const double position = (Along(p) - arrow) * double(FMaximum - FMinimum) / span + FMinimum - FPage / 2.0;
    return std::clamp(static_cast<int>(std::lround(position)), FMinimum, std::max(FMaximum, FMinimum));
}

int TICCScrollBar::LastPosition() const
{
    return std::max(FMaximum - FPage, FMinimum);
}

// ---- moves

void TICCScrollBar::ChangePosition(int position)
{
    if (position == FPosition)
        return;
    FPosition = position;
    Owner()->update();
    DoChange();
}

void TICCScrollBar::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TICCScrollBar::MoveForward(int amount)
{
    // Never below the minimum, also when the page is larger than the range.
    ChangePosition(std::max(std::min(FPosition + amount, FMaximum - FPage), FMinimum));
}

void TICCScrollBar::MoveBack(int amount)
{
    ChangePosition(std::max(FPosition - amount, FMinimum));
}

void TICCScrollBar::MoveToStart()
{
    ChangePosition(FMinimum);
}

void TICCScrollBar::MoveToEnd()
{
    if (FPosition < FMaximum - FPage)
        ChangePosition(FMaximum - FPage);
}

void TICCScrollBar::ScrollHere(int menuPosition)
{
    MoveToStart();
    MoveForward(menuPosition - FMinimum);
}

// ---- mouse

void TICCScrollBar::StepPart(TICCScrollBarPart part)
{
    switch (part) {
    case sbpFirstArrow:
        MoveBack(FSmallStep);
        break;
    case sbpSecondArrow:
        MoveForward(FSmallStep);
        break;
    case sbpTrackBefore:
        MoveBack(FPage);
        break;
    case sbpTrackAfter:
        MoveForward(FPage);
        break;
    case sbpThumb:
    case sbpNone:
        break;
    }
}

void TICCScrollBar::PressPart(TICCScrollBarPart part, const QPoint &p)
{
    FPressedPart = part;
    if (part == sbpThumb) {
        FDragging = true;
        FDragStartCoordinate = Along(p);
        FDragStartPosition = FPosition;
        Owner()->Capture(this);
    } else if (part != sbpNone) {
        StepPart(part);
        Owner()->StartRepeatTimer(FirstRepeatMs, [this] { RepeatTick(); });
    }
    Owner()->update();
}

void TICCScrollBar::RepeatTick()
{
    if (FPressedPart == sbpNone || FPressedPart == sbpThumb) {
        Owner()->StopRepeatTimer();
        return;
    }
    Owner()->StartRepeatTimer(NextRepeatMs, [this] { RepeatTick(); });
    // Paging moves the thumb towards the pointer; once it arrives, the pointer is off the pressed part.
    if (FPointerOver && PartAt(FMousePosition) == FPressedPart)
        StepPart(FPressedPart);
}

void TICCScrollBar::EndPress()
{
    FPressedPart = sbpNone;
    if (FDragging) {
        FDragging = false;
        if (Captured())
            Owner()->ReleaseCapture(this);
        Owner()->RequestRepaint();
    }
    Owner()->update();
}

void TICCScrollBar::DragTo(const QPoint &p)
{
    const qint64 span = FMaximum - FMinimum - FPage;
    const qint64 free = std::max(TrackLength() - ThumbLength(), 1);
    const qint64 position = FDragStartPosition + (Along(p) - FDragStartCoordinate) * span / free;
    ChangePosition(static_cast<int>(std::clamp<qint64>(position, FMinimum, LastPosition())));
}

void TICCScrollBar::UpdateHoveredPart(const QPoint &p)
{
    const TICCScrollBarPart part = PartAt(p);
    if (part != FHoveredPart) {
        FHoveredPart = part;
        Owner()->update();
    }
}

void TICCScrollBar::Cancel()
{
    FPressedPart = sbpNone;
    FDragging = false;
    TICCSquareArea::Cancel();
    Owner()->update();
}

void TICCScrollBar::MouseLeave()
{
    TICCSquareArea::MouseLeave();
    FPointerOver = false;
    FHoveredPart = sbpNone;
    Owner()->update();
}

void TICCScrollBar::MouseMove(int x, int y)
{
    TICCSquareArea::MouseMove(x, y);
    FMousePosition = QPoint(x, y);
    FPointerOver = Contains(FMousePosition);
    if (FDragging)
        DragTo(FMousePosition);
    else
        UpdateHoveredPart(FMousePosition);
}

void TICCScrollBar::MouseDown(int x, int y)
{
    TICCSquareArea::MouseDown(x, y);
    FMousePosition = QPoint(x, y);
    FPointerOver = true;
    PressPart(PartAt(FMousePosition), FMousePosition);
}

void TICCScrollBar::MouseUp(int x, int y)
{
    TICCSquareArea::MouseUp(x, y);
    EndPress();
}

void TICCScrollBar::ContextPopup(int x, int y, bool &allowPopup)
{
    allowPopup = false;
    if (FPressedPart != sbpNone)
        EndPress();
    const QPoint p(x, y);
    TDMInteractiveCustomControl::Instance().PopupScrollBarMenu(this, MenuPositionAt(p),
                                                               Owner()->mapToGlobal(p));
}

void TICCScrollBar::PressEnded()
{
    TICCSquareArea::PressEnded();
    // A release away from the bar still ends the press of an arrow or the track.
    if (FPressedPart != sbpNone && !FDragging)
        EndPress();
}

void TICCScrollBar::DblClick(bool &handled)
{
    handled = true;
    PressPart(PartAt(FMousePosition), FMousePosition);
}

// ---- drawing

void TICCScrollBar::PaintButton(QPainter &canvas, QImage &buffer, TICCScrollBarPart part)
{
    const QRect r = PartRect(part);
    if (r.isEmpty())
        return;
    const bool enabled = Owner()->isEnabled() && LastPosition() > FMinimum;
    const bool pressed = FPressedPart == part;
    const QRgb face = ColorToQRgb(clBtnFace);
    const bool hot = enabled && (FHoveredPart == part || pressed);
    FillPixels(buffer, r, hot ? MixTowards(face, ColorToQRgb(clBtnHighlight), HotFaceMix) : face);
    DrawEdge3D(canvas, r, pressed && part != sbpThumb ? TICCEdge::Sunken : TICCEdge::Raised);

    const QColor glyph = ColorToQColor(enabled ? clBtnText : clBtnShadow);
    const bool vertical = FOrientation == Qt::Vertical;
    if (part == sbpFirstArrow)
        DrawArrowGlyph(canvas, r, vertical ? TICCArrowDirection::Up : TICCArrowDirection::Left, glyph);
    else if (part == sbpSecondArrow)
        DrawArrowGlyph(canvas, r, vertical ? TICCArrowDirection::Down : TICCArrowDirection::Right, glyph);
    else if (part == sbpThumb && enabled) {
        // Grip lines across the thumb, when it has room for them.
        const int gripLength = GripLines * GripSpacing;
        if ((vertical ? r.height() : r.width()) < gripLength + 8)
            return;
        const QPoint c = r.center();
        for (int i = 0; i < GripLines; ++i) {
            const int shift = (i - GripLines / 2) * GripSpacing;
            const QRect line = vertical ? QRect(r.left() + 4, c.y() + shift, r.width() - 8, 1)
                                        : QRect(c.x() + shift, r.top() + 4, 1, r.height() - 8);
            FillPixels(buffer, line, ColorToQRgb(clBtnShadow));
            FillPixels(buffer, line.translated(vertical ? QPoint(0, 1) : QPoint(1, 0)),
                       ColorToQRgb(clBtnHighlight));
        }
    }
}

void TICCScrollBar::PaintTrack(QImage &buffer, TICCScrollBarPart part)
{
    const QRect r = PartRect(part);
    if (r.isEmpty())
        return;
    QRgb from = ColorToQRgb(clBtnFace);
    if (FPressedPart == part)
        from = MixTowards(from, ColorToQRgb(clBtnHighlight), PressedTrackMix);
    const QRgb to = ColorToQRgb(clWindow);
    if (FOrientation == Qt::Horizontal) {
        FillVerticalGradient(buffer, r, from, to);
        return;
    }
    // Across a vertical bar the gradient runs from left to right.
    const int span = std::max(r.width() - 1, 1);
    for (int x = r.left(); x <= r.right(); ++x)
        FillPixels(buffer, QRect(x, r.top(), 1, r.height()),
                   MixTowards(from, to, static_cast<double>(x - r.left()) / span));
}

void TICCScrollBar::Paint(QPainter &canvas, QImage &buffer)
{
    if (Rect().isEmpty())
        return;
    PaintTrack(buffer, sbpTrackBefore);
    PaintTrack(buffer, sbpTrackAfter);
    PaintButton(canvas, buffer, sbpThumb);
    PaintButton(canvas, buffer, sbpFirstArrow);
    PaintButton(canvas, buffer, sbpSecondArrow);
}
