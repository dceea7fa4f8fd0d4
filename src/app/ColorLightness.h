#pragma once
// Shading of the size bars: colours (0xBBGGRR) moved in HSL lightness, all in single precision.

#include <QtGlobal>

struct THSL
{
    float H = 0;
    float S = 0;
    float L = 0;
};

THSL RGBToHSL(quint8 red, quint8 green, quint8 blue);
// Returns the colour as 0xBBGGRR.
quint32 HSLToRGB(float h, float s, float l);
// The colour with its lightness moved by delta and clamped to 0..1.
quint32 ChangeLightness(quint32 color, float delta);
