#include "controls/ICCAreas.h"

#include "controls/CInteractiveCustomControl.h"
#include "controls/ICCDrawing.h"
#include "controls/ITVPixels.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int DragThreshold = 2;
constexpr double HoverFaceMix = 0.07;
constexpr double HoverHighlightMix = 0.20;
constexpr double TintFaceMix = 0.035;
constexpr double TintHighlightMix = 0.10;
constexpr int GlyphBoxMargin = 2;
constexpr int GlyphBoxMaxSide = 20;
constexpr double PlusMinusCornerMix = 0.40;

} // namespace

// ---- TICCArea

TICCArea::TICCArea(TInteractiveCustomControl *owner, int kind, void *object)
    : FOwner(owner), FKind(kind), FObject(object)
{}

QString TICCArea::HintText()
{
    return OnGetHint ? OnGetHint(this) : FHint;
}

void TICCArea::Paint(QPainter &, QImage &) {}

void TICCArea::Store(QVariantMap &) const {}

void TICCArea::Cancel()
{
    if (FCaptured)
        FOwner->ReleaseCapture(this);
}

void TICCArea::MouseEnter()
{
    if (FCursor)
        FOwner->setCursor(*FCursor);
}

void TICCArea::MouseLeave()
{
    if (FCursor)
        FOwner->unsetCursor();
}

void TICCArea::MouseMove(int, int) {}
void TICCArea::MouseDown(int, int) {}
void TICCArea::MiddleMouseDown(int, int) {}
void TICCArea::MiddleMouseUp(int, int) {}
void TICCArea::MouseUp(int, int) {}
void TICCArea::ContextPopup(int, int, bool &) {}
void TICCArea::DblClick(bool &) {}
void TICCArea::PressEnded() {}

// ---- TICCSquareArea

TICCSquareArea::TICCSquareArea(TInteractiveCustomControl *owner, const QRect &rect, int kind, void *object)
    : TICCArea(owner, kind, object), FRect(rect)
{}

bool TICCSquareArea::Contains(const QPoint &p) const
{
    if (FRect.isEmpty())
        return false;
    return p.x() >= FRect.left() && p.x() <= FRect.left() + FRect.width() && p.y() >= FRect.top() &&
           p.y() <= FRect.top() + FRect.height();
}

void TICCSquareArea::ClipTo(const QRect &clip)
{
    FRect = FRect.intersected(clip);
}

void TICCSquareArea::Store(QVariantMap &values) const
{
    values.insert("Left", FRect.left());
    values.insert("Top", FRect.top());
    values.insert("Right", FRect.left() + FRect.width());
    values.insert("Bottom", FRect.top() + FRect.height());
}

void TICCSquareArea::MouseMove(int x, int y)
{
    if (!FLeftPressed || FDragStarted)
        return;
    const TInteractiveCustomControl *const owner = Owner();
    if (!owner->hasFocus() || !owner->isEnabled() || !owner->LeftButtonHeld())
        return;
    if (std::abs(x - FPressPosition.x()) > DragThreshold ||
        std::abs(y - FPressPosition.y()) > DragThreshold) {
        FDragStarted = true;
        DoDragStart(QPoint(x, y));
    }
}

void TICCSquareArea::MouseDown(int x, int y)
{
    FPressPosition = QPoint(x, y);
    FLeftPressed = true;
    FDragStarted = false;
}

void TICCSquareArea::MouseUp(int, int)
{
    FLeftPressed = false;
}

void TICCSquareArea::PressEnded()
{
    FLeftPressed = false;
}

void TICCSquareArea::DoDragStart(const QPoint &position)
{
    if (OnDragStart)
        OnDragStart(this, position);
}

// ---- TICCResize

TICCResize::TICCResize(TInteractiveCustomControl *owner, const QRect &rect, int kind, void *object)
    : TICCSquareArea(owner, rect, kind, object)
{}

void TICCResize::MouseMove(int x, int y)
{
    TICCSquareArea::MouseMove(x, y);
    const QPoint position(x, y);
    if (Captured()) {
        FCurrentPosition = position;
        if (OnSizeChange)
            OnSizeChange(this, position);
    }
    if (OnMove)
        OnMove(this, position);
}

void TICCResize::MouseDown(int x, int y)
{
    TICCSquareArea::MouseDown(x, y);
    FStartPosition = FCurrentPosition = QPoint(x, y);
    Owner()->Capture(this);
    if (OnStart)
        OnStart(this, FStartPosition);
}

void TICCResize::MouseUp(int x, int y)
{
    TICCSquareArea::MouseUp(x, y);
    if (!Captured())
        return;
    const bool moved = FCurrentPosition != FStartPosition;
    Owner()->ReleaseCapture(this);
    if (moved && OnEnd)
        OnEnd(this, QPoint(x, y));
}

// ---- TICCFlatButton

TICCFlatButton::TICCFlatButton(TInteractiveCustomControl *owner, const QRect &rect, int kind, void *object)
    : TICCSquareArea(owner, rect, kind, object)
{}

void TICCFlatButton::Paint(QPainter &canvas, QImage &)
{
    if (DrawnPressed())
        DrawEdge3D(canvas, Rect(), TICCEdge::Sunken);
    else if (Hovered())
        DrawEdge3D(canvas, Rect(), TICCEdge::Raised);
}

void TICCFlatButton::MouseDown(int x, int y)
{
    TICCSquareArea::MouseDown(x, y);
    FDown = true;
    Owner()->update();
}

void TICCFlatButton::MouseUp(int x, int y)
{
    TICCSquareArea::MouseUp(x, y);
    FDown = false;
    Owner()->update();
}

void TICCFlatButton::PressEnded()
{
    TICCSquareArea::PressEnded();
    if (FDown) {
        FDown = false;
        Owner()->update();
    }
}

// ---- TICC3DButton

TICC3DButton::TICC3DButton(TInteractiveCustomControl *owner, const QRect &rect, int kind, void *object)
    : TICCFlatButton(owner, rect, kind, object)
{}

QRgb TICC3DButton::MixedFace() const
{
    const QRgb face = ColorToQRgb(clBtnFace);
    if (Hovered())
        return MixTowards(face, ColorToQRgb(clHotLight), HoverFaceMix);
    if (FTinted)
        return MixTowards(face, ColorToQRgb(clHotLight), TintFaceMix);
    return face;
}

QRgb TICC3DButton::MixedHighlight() const
{
    const QRgb highlight = ColorToQRgb(clBtnHighlight);
    if (Hovered())
        return MixTowards(highlight, ColorToQRgb(clHotLight), HoverHighlightMix);
    if (FTinted)
        return MixTowards(highlight, ColorToQRgb(clHotLight), TintHighlightMix);
    return highlight;
}

QRgb TICC3DButton::FaceTopColor() const
{
    return DrawnPressed() ? MixedHighlight() : MixedFace();
}

QRgb TICC3DButton::FaceBottomColor() const
{
    return DrawnPressed() ? MixedFace() : MixedHighlight();
}

void TICC3DButton::PaintFace(QPainter &, QImage &buffer)
{
    if (FFlat)
        FillPixels(buffer, Rect(), MixTowards(MixedFace(), MixedHighlight(), 0.5));
    else
        FillVerticalGradient(buffer, Rect(), FaceTopColor(), FaceBottomColor());
}

void TICC3DButton::Paint(QPainter &canvas, QImage &buffer)
{
    PaintFace(canvas, buffer);
    DrawEdge3D(canvas, Rect(), DrawnPressed() ? TICCEdge::Sunken : TICCEdge::Raised);
}

// ---- TICCText3DButton

TICCText3DButton::TICCText3DButton(TInteractiveCustomControl *owner, const QRect &rect,
                                   const QString &caption, int kind, void *object)
    : TICC3DButton(owner, rect, kind, object), FCaption(caption)
{}

QString TICCText3DButton::DisplayCaption() const
{
    return TranslateIf(FCaption, FMultiLang);
}

QRect TICCText3DButton::GlyphBoxRect() const
{
    if (!FGlyphBox)
        return {};
    const QRect r = Rect();
    const int side = std::max(std::min(r.height() - 4, GlyphBoxMaxSide), 0);
    return QRect(r.left() + r.width() - GlyphBoxMargin - side, r.top() + (r.height() - side) / 2, side, side);
}

QRect TICCText3DButton::CaptionRect() const
{
    const QRect inner = Rect().adjusted(GlyphBoxMargin, 1, -GlyphBoxMargin, -1);
    if (!FGlyphBox)
        return inner;
    return inner.adjusted(0, 0, -(GlyphBoxRect().width() + GlyphBoxMargin), 0);
}

void TICCText3DButton::Paint(QPainter &canvas, QImage &buffer)
{
    TICC3DButton::Paint(canvas, buffer);
    const QRect captionRect = CaptionRect();
    if (captionRect.width() > 0) {
        canvas.save();
        canvas.setFont(FFont ? *FFont : Owner()->font());
        canvas.setPen(ColorToQColor(clBtnText));
        const QString text =
            canvas.fontMetrics().elidedText(DisplayCaption(), Qt::ElideRight, captionRect.width());
        canvas.drawText(captionRect, Qt::AlignCenter | Qt::TextSingleLine, text);
        canvas.restore();
    }
    if (FGlyphBox)
        PaintGlyph(canvas, GlyphBoxRect());
}

void TICCText3DButton::PaintGlyph(QPainter &, const QRect &) {}

// ---- TICCText3DSortButton

TICCText3DSortButton::TICCText3DSortButton(TInteractiveCustomControl *owner, const QRect &rect,
                                           const QString &caption, int kind, void *object)
    : TICCText3DButton(owner, rect, caption, kind, object)
{}

void TICCText3DSortButton::SetArrow(TICCSortArrow arrow)
{
    FArrow = arrow;
    SetGlyphBox(arrow != TICCSortArrow::None);
}

void TICCText3DSortButton::PaintGlyph(QPainter &canvas, const QRect &box)
{
    if (FArrow == TICCSortArrow::None)
        return;
    DrawArrowGlyph(canvas, box,
                   FArrow == TICCSortArrow::Up ? TICCArrowDirection::Up : TICCArrowDirection::Down,
                   ColorToQColor(clBtnShadow));
}

// ---- TICCPlusMinusButton

TICCPlusMinusButton::TICCPlusMinusButton(TInteractiveCustomControl *owner, const QRect &rect, bool plus,
                                         int kind, void *object)
    : TICC3DButton(owner, rect, kind, object), FPlus(plus)
{}

void TICCPlusMinusButton::Paint(QPainter &, QImage &buffer)
{
    const QRect r = Rect();
    if (r.width() < 3 || r.height() < 3)
        return;
    const QRgb window = ColorToQRgb(clWindow);
    const QRgb face = ColorToQRgb(clBtnFace);
    const bool pressed = DrawnPressed();
    FillVerticalGradient(buffer, r, pressed ? face : window, pressed ? window : face);

    const QRgb frame = ColorToQRgb(clGradientInactiveCaption);
    FillPixels(buffer, QRect(r.left(), r.top(), r.width(), 1), frame);
    FillPixels(buffer, QRect(r.left(), r.bottom(), r.width(), 1), frame);
    FillPixels(buffer, QRect(r.left(), r.top(), 1, r.height()), frame);
    FillPixels(buffer, QRect(r.right(), r.top(), 1, r.height()), frame);
    const QRgb corner = MixTowards(frame, ColorToQRgb(FBackgroundColor), PlusMinusCornerMix);
    for (const QPoint &p : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
        FillPixels(buffer, QRect(p, QSize(1, 1)), corner);

    const QRgb stroke = ColorToQRgb(clWindowText);
    const int middleY = r.top() + (r.height() - 1) / 2;
    const int middleX = r.left() + (r.width() - 1) / 2;
    FillPixels(buffer, QRect(r.left() + 2, middleY, r.width() - 4, 1), stroke);
    if (FPlus)
        FillPixels(buffer, QRect(middleX, r.top() + 2, 1, r.height() - 4), stroke);
}
