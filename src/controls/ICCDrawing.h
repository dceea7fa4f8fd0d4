#pragma once
// Canvas drawing shared by the light areas of the interactive controls: 3D edges and small arrows.

#include <QColor>
#include <QPainter>
#include <QRect>

enum class TICCEdge { Raised, Sunken };
enum class TICCArrowDirection { Up, Down, Left, Right };

// A two-pixel 3D edge just inside r, in the button highlight, shadow and dark shadow colours.
void DrawEdge3D(QPainter &canvas, const QRect &r, TICCEdge edge);

// A filled triangle centred in box, pointing in the given direction, at most half the box's side.
void DrawArrowGlyph(QPainter &canvas, const QRect &box, TICCArrowDirection direction, const QColor &color);
