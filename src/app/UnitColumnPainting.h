#pragma once
// Drawing of the size columns of the unit grid: a number right-aligned over a shaded bar whose
// length is the value relative to the largest one.

#include "controls/UColors.h"

#include <QRect>
#include <QRgb>
#include <QString>

class QPainter;

constexpr TColor UnitCodeBarColor = 0xFFC0C0;
constexpr TColor UnitDFMBarColor = 0xD0E0E0;
// The change against a baseline build: growth in a light red, shrinkage in a light green.
constexpr TColor GrowthBarColor = 0x9C9CF4;
constexpr TColor ShrinkageBarColor = 0xA8DC9C;
// The bar colour of a symbol row at the given level (1 and deeper).
TColor SymbolBarColor(int level);

// The bar of a cell: 2 pixels below its top, 3 above its bottom and 3 in from its left; its length is
// the ratio of the cell width minus 7, rounded with halves to the even neighbour, and at least 1.
QRect UnitBarRect(const QRect &cell, float ratio);

// A quadratic vertical gradient from a lighter shade to the base colour inside a slightly darker
// frame; a selected row's bar is half-way darker.
void PaintUnitBar(QPainter &canvas, const QRect &bar, TColor base, bool selected);

// Right-aligned, vertically centred, one line, 5 pixels off the cell's right edge, clipped to the cell,
// in the given colour.
void PaintCellText(QPainter &canvas, const QRect &cell, const QString &text, QRgb color);
