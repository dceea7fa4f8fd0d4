#pragma once
// The squarified treemap layout: a rectangle cut into one rectangle per weight, each with an area
// proportional to its weight. The weights are placed largest first in rows along the shorter free
// side, and a row takes the next weight only while that brings its worst aspect ratio closer to 1,
// which keeps the cells near square. Pure geometry: no widget, no model.

#include <QRectF>

#include <vector>

// One rectangle per weight, in the order of the weights. The rectangles of the positive finite
// weights tile bounds exactly; every other weight, and every weight of an empty bounds, gets an
// empty rectangle at bounds' top-left corner. Equal weights keep their order.
std::vector<QRectF> SquarifiedLayout(const std::vector<double> &weights, const QRectF &bounds);
