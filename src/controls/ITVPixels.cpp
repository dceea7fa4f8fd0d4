#include "controls/ITVPixels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int FractionBits = 20;
constexpr quint32 DotPattern = 0x55555555u;

int MixChannel(int a, int b, qint64 fixedFraction)
{
    return a + static_cast<int>(((b - a) * fixedFraction) >> FractionBits);
}

bool IsDot(int coordinate)
{
    return (DotPattern >> (coordinate & 31)) & 1u;
}

} // namespace

QRgb MixTowards(QRgb a, QRgb b, double fraction)
{
    const qint64 fixed = std::llround(fraction * (1 << FractionBits));
    return qRgb(MixChannel(qRed(a), qRed(b), fixed), MixChannel(qGreen(a), qGreen(b), fixed),
                MixChannel(qBlue(a), qBlue(b), fixed));
}

void FillPixels(QImage &image, const QRect &r, QRgb color)
{
    const QRect clipped = r.intersected(image.rect());
    if (clipped.isEmpty())
        return;
    const QRgb opaque = color | 0xFF000000u;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        std::fill(line + clipped.left(), line + clipped.right() + 1, opaque);
    }
}

void FillVerticalGradient(QImage &image, const QRect &r, QRgb top, QRgb bottom)
{
    const int span = std::max(r.height() - 1, 1);
    for (int y = r.top(); y <= r.bottom(); ++y)
        FillPixels(image, QRect(r.left(), y, r.width(), 1),
                   MixTowards(top, bottom, static_cast<double>(y - r.top()) / span));
}

void DottedHorizontalLine(QImage &image, int x1, int x2, int y, QRgb color)
{
    if (y < 0 || y >= image.height())
        return;
    const int from = std::max(std::min(x1, x2), 0);
    const int to = std::min(std::max(x1, x2), image.width() - 1);
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    const QRgb opaque = color | 0xFF000000u;
    for (int x = from; x <= to; ++x)
        if (IsDot(x))
            line[x] = opaque;
}

void DottedVerticalLine(QImage &image, int x, int y1, int y2, QRgb color)
{
    if (x < 0 || x >= image.width())
        return;
    const int from = std::max(std::min(y1, y2), 0);
    const int to = std::min(std::max(y1, y2), image.height() - 1);
    const QRgb opaque = color | 0xFF000000u;
    for (int y = from; y <= to; ++y)
        if (IsDot(y))
            reinterpret_cast<QRgb *>(image.scanLine(y))[x] = opaque;
}
