#pragma once
// Pixel-level drawing for the tree-grid: fills, gradients and dotted lines go straight into the
// 32-bit back buffer (one scanline write per pixel run), which keeps a render of many rows cheap.

#include <QImage>
#include <QRect>
#include <QRgb>

// a + (b - a) * fraction per channel, the fraction held with 20 fractional bits.
QRgb MixTowards(QRgb a, QRgb b, double fraction);

// Fills r (clipped to the image) with an opaque colour.
void FillPixels(QImage &image, const QRect &r, QRgb color);

// Fills r line by line from top to bottom (both inclusive ends of the colour run).
void FillVerticalGradient(QImage &image, const QRect &r, QRgb top, QRgb bottom);

// Dotted lines: a pixel is set only where its coordinate along the line is even.
// Both ends are inclusive.
void DottedHorizontalLine(QImage &image, int x1, int x2, int y, QRgb color);
void DottedVerticalLine(QImage &image, int x, int y1, int y2, QRgb color);
