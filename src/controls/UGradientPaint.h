#pragma once
// Colour ramps: the plain gradient (linear or quadratic ramp, one stripe per pixel) and the
// brushed-metal gradient, whose texture comes from fixed tables so it is the same on every run.

#include "controls/UColors.h"

#include <QRect>
#include <array>
#include <cstdint>

class QPainter;

enum TGradientDirection { gdHorizontal, gdVertical };
enum TGradientRamp { grLinear, grQuadratic };

// Per channel (a * (1024 - k) + b * k) >> 10 with k = round(t * 1024); system colours resolved first.
TColor Lerp32(TColor a, TColor b, double t);

// t for pixel d of a run of length + 1 pixels (0 <= d <= length).
double LinearRamp(int d, int length);
// Fastest at both ends, flat in the middle; runs from 0 to 1.
double QuadraticRamp(int d, int length);

// One-pixel stripes from a to b across the rectangle; nothing when it is one pixel long or less.
void DrawGradientRect(QPainter &canvas, const QRect &rect, TColor a, TColor b, TGradientDirection direction,
                      TGradientRamp ramp);

// The brushed texture's tables: S a square-rooted sine of the given frequency over 512 steps, R 512
// values of a fixed linear congruential sequence.
class TGradientBrushMetalFX
{
public:
    static constexpr int TableSize = 512;

    TGradientBrushMetalFX(int frequency, double strength);

    double Sine(int j) const { return FSine[j]; }
    std::uint16_t Random(int p) const { return FRandom[p]; }
    // The texture amplitude of one line.
    double Amplitude(int line) const;

private:
    std::array<double, TableSize> FSine{};
    std::array<std::uint16_t, TableSize> FRandom{};
    double FFactor;
};

// The screen's colour depth in bits per pixel.
int ScreenColorDepth();

// The brushed-metal gradient from a to b; on a screen of 14 bits or less the plain quadratic gradient.
// The pixels show a and b with their red and blue exchanged, as the band has always looked.
void DrawBrushedGradientRect(QPainter &canvas, const QRect &rect, TColor a, TColor b,
                             TGradientDirection direction, int colorDepth = ScreenColorDepth());
