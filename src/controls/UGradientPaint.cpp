#include "controls/UGradientPaint.h"

#include "controls/UBitmapPool.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

TColor SwapRedBlue(TColor color)
{
    return RGBColor(GetBValue(color), GetGValue(color), GetRValue(color));
}

const TGradientBrushMetalFX &BrushMetalTables()
{
    static const TGradientBrushMetalFX tables(2, 0.2);
    return tables;
}

} // namespace

TColor Lerp32(TColor a, TColor b, double t)
{
    const TColor from = ColorToRGB(a);
    const TColor to = ColorToRGB(b);
    // nearbyint rounds halves to even, as the original rounding did.
    const int k = static_cast<int>(std::nearbyint(t * 1024));
    const auto channel = [k](int x, int y) { return (x * (1024 - k) + y * k) >> 10; };
    return RGBColor(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
                    channel(GetBValue(from), GetBValue(to)));
}

double LinearRamp(int d, int length)
{
    return static_cast<double>(d) / length;
}

double QuadraticRamp(int d, int length)
{
    const double s = 1.0 - 2.0 * d / length;
    return s >= 0 ? 0.5 - s * s / 2 : 0.5 + s * s / 2;
}

void DrawGradientRect(QPainter &canvas, const QRect &rect, TColor a, TColor b, TGradientDirection direction,
                      TGradientRamp ramp)
{
    const bool vertical = direction == gdVertical;
    const int length = (vertical ? rect.height() : rect.width()) - 1;
    if (length <= 0)
        return;
    TColor previous = -1;
    QBrush brush;
    for (int d = 0; d <= length; ++d) {
        const double t = ramp == grLinear ? LinearRamp(d, length) : QuadraticRamp(d, length);
        const TColor color = Lerp32(a, b, t);
        if (color != previous) {
            brush = QBrush(ColorToQColor(color));
            previous = color;
        }
        const QRect stripe = vertical ? QRect(rect.left(), rect.top() + d, rect.width(), 1)
                                      : QRect(rect.left() + d, rect.top(), 1, rect.height());
        canvas.fillRect(stripe, brush);
    }
}

TGradientBrushMetalFX::TGradientBrushMetalFX(int frequency, double strength) : FFactor(strength / 256)
{
    for (int j = 0; j < TableSize; ++j) {
        const double x = std::sin(2 * std::numbers::pi * frequency * j / TableSize);
        FSine[j] = x >= 0 ? std::sqrt(x) : -std::sqrt(-x);
    }
    // A private generator, so the table never depends on (or disturbs) other random numbers.
    std::uint32_t seed = 0;
    const auto next = [&seed] { return seed = seed * 134775813u + 1u; };
    for (int step = 0; step < 50; ++step)
        next();
    for (int p = 0; p < TableSize; ++p)
        FRandom[p] = static_cast<std::uint16_t>(next() >> 16);
}

double TGradientBrushMetalFX::Amplitude(int line) const
{
    const std::uint32_t r = FRandom[line % TableSize];
    return static_cast<double>((r * r >> 2) & 255u) * FFactor;
}

int ScreenColorDepth()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 32;
}

void DrawBrushedGradientRect(QPainter &canvas, const QRect &rect, TColor a, TColor b,
                             TGradientDirection direction, int colorDepth)
{
    if (colorDepth <= 14) {
        DrawGradientRect(canvas, rect, a, b, direction, grQuadratic);
        return;
    }
    const bool vertical = direction == gdVertical;
    const int length = vertical ? rect.height() : rect.width();
    const int across = vertical ? rect.width() : rect.height();
    if (length <= 1 || across <= 0)
        return;
    QImage bitmap = TemporaryBitmapPool().Acquire(rect.size(), QImage::Format_RGB32);
    std::vector<double> ramp(length);
    for (int i = 0; i < length; ++i)
        ramp[i] = QuadraticRamp(i, length - 1);
    const TColor from = SwapRedBlue(ColorToRGB(a));
    const TColor to = SwapRedBlue(ColorToRGB(b));
    const TGradientBrushMetalFX &tables = BrushMetalTables();
    for (int p = 0; p < across; ++p) {
        const int r = tables.Random(p % TGradientBrushMetalFX::TableSize);
        const double amplitude = tables.Amplitude(p);
        for (int i = 0; i < length; ++i) {
            const double v = std::clamp(
                ramp[i] + amplitude * tables.Sine((r + i) % TGradientBrushMetalFX::TableSize), 0.0, 1.0);
            const QRgb pixel = ColorToQRgb(Lerp32(from, to, v));
            if (vertical)
                reinterpret_cast<QRgb *>(bitmap.scanLine(i))[p] = pixel;
            else
                reinterpret_cast<QRgb *>(bitmap.scanLine(p))[i] = pixel;
        }
    }
    canvas.drawImage(rect.topLeft(), bitmap);
    TemporaryBitmapPool().Release(std::move(bitmap));
}
