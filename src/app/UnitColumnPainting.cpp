#include "app/UnitColumnPainting.h"

#include "app/ColorLightness.h"
#include "controls/UGradientPaint.h"

#include <QPainter>

#include <cmath>

TColor SymbolBarColor(int level)
{
    if (level <= 1)
        return 0xC0F0C0;
    return level == 2 ? 0xC0C0F0 : 0xE0C0E0;
}

QRect UnitBarRect(const QRect &cell, float ratio)
{
    // A ratio outside 0..1 (a symbol longer than its parent, a parent of size 0) must not draw
    // outside the cell.
    const double share = std::isnan(ratio) ? 0.0 : std::clamp(double(ratio), 0.0, 1.0);
    const int width = cell.width() - 7;
    const int left = cell.left() + 3;
    int right = int(std::nearbyint(width * share)) + left;
    if (left >= right)
        right = left + 1;
    const int top = cell.top() + 2;
    const int bottom = cell.top() + cell.height() - 3;
    return QRect(left, top, right - left, bottom - top);
}

void PaintUnitBar(QPainter &canvas, const QRect &bar, TColor base, bool selected)
{
    if (selected)
        base = ChangeLightness(base, -0.5f);
    DrawGradientRect(canvas, bar, ChangeLightness(base, 0.1f), base, gdVertical, grQuadratic);

    const QColor frame = ColorToQColor(ChangeLightness(base, -0.05f));
    canvas.fillRect(QRect(bar.left(), bar.top(), bar.width(), 1), frame);
    canvas.fillRect(QRect(bar.left(), bar.bottom(), bar.width(), 1), frame);
    canvas.fillRect(QRect(bar.left(), bar.top(), 1, bar.height()), frame);
    canvas.fillRect(QRect(bar.right(), bar.top(), 1, bar.height()), frame);
    canvas.setBrush(Qt::NoBrush);
}

void PaintCellText(QPainter &canvas, const QRect &cell, const QString &text, QRgb color)
{
    canvas.setPen(QColor::fromRgb(color));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawText(cell.adjusted(0, 0, -5, 0), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text);
}
