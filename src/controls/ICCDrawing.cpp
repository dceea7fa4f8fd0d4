#include "controls/ICCDrawing.h"

#include "controls/UColors.h"

#include <QPolygon>

#include <algorithm>

namespace {

// One ring of an edge: top and left in one colour, bottom and right in the other.
void DrawRing(QPainter &canvas, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    canvas.setPen(topLeft);
    canvas.drawLine(r.left(), r.bottom(), r.left(), r.top());
    canvas.drawLine(r.left(), r.top(), r.right(), r.top());
    canvas.setPen(bottomRight);
    canvas.drawLine(r.right(), r.top(), r.right(), r.bottom());
    canvas.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

} // namespace

void DrawEdge3D(QPainter &canvas, const QRect &r, TICCEdge edge)
{
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    const QColor light = ColorToQColor(clBtnFace);
    const QColor highlight = ColorToQColor(clBtnHighlight);
    const QColor shadow = ColorToQColor(clBtnShadow);
    const QColor darkShadow = ColorToQColor(cl3DDkShadow);
    const QRect inner = r.adjusted(1, 1, -1, -1);
    if (edge == TICCEdge::Raised) {
        DrawRing(canvas, r, light, darkShadow);
        DrawRing(canvas, inner, highlight, shadow);
    } else {
        DrawRing(canvas, r, shadow, highlight);
        DrawRing(canvas, inner, darkShadow, light);
    }
    canvas.restore();
}

void DrawArrowGlyph(QPainter &canvas, const QRect &box, TICCArrowDirection direction, const QColor &color)
{
    const int side = std::min(box.width(), box.height());
    const int half = std::max(side / 4, 1); // the triangle's half base
    const QPoint c = box.center();
    QPolygon triangle;
    switch (direction) {
    case TICCArrowDirection::Up:
        triangle << QPoint(c.x() - half, c.y() + half / 2) << QPoint(c.x() + half, c.y() + half / 2)
                 << QPoint(c.x(), c.y() - half / 2 - 1);
        break;
    case TICCArrowDirection::Down:
        triangle << QPoint(c.x() - half, c.y() - half / 2) << QPoint(c.x() + half, c.y() - half / 2)
                 << QPoint(c.x(), c.y() + half / 2 + 1);
        break;
    case TICCArrowDirection::Left:
        triangle << QPoint(c.x() + half / 2, c.y() - half) << QPoint(c.x() + half / 2, c.y() + half)
                 << QPoint(c.x() - half / 2 - 1, c.y());
        break;
    case TICCArrowDirection::Right:
        triangle << QPoint(c.x() - half / 2, c.y() - half) << QPoint(c.x() - half / 2, c.y() + half)
                 << QPoint(c.x() + half / 2 + 1, c.y());
        break;
    }
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(color);
    canvas.setBrush(color);
    canvas.drawPolygon(triangle);
    canvas.restore();
}
