#pragma once
// Shading of the size bars: colours (0xBBGGRR) moved in HSL lightness, all in single precision.

#include "controls/UColors.h"

#include <QtGlobal>

struct THSL
{
    float H = 0;
    float S = 0;
    float L = 0;
};

THSL RGBToHSL(quint8 red, quint8 green, quint8 blue);
TColor HSLToRGB(float h, float s, float l);
// The colour (a system colour resolved first) with its lightness moved by delta and clamped to 0..1.
TColor ChangeLightness(TColor color, float delta);
