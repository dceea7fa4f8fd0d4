#include "app/ColorLightness.h"

#include <algorithm>
#include <cmath>

namespace {

// Nearest integer, halves to the even neighbour (the default rounding mode).
int RoundEven(float value)
{
    return int(std::nearbyint(value));
}

int Channel(float p, float q, float t)
{
    if (t < 0)
        t += 1;
    else if (t > 1)
        t -= 1;
    float v;
    if (t < 1.0f / 6.0f)
        v = p + (q - p) * 6.0f * t;
    else if (t < 0.5f)
        v = q;
    else if (t < 2.0f / 3.0f)
        v = p + (q - p) * (4.0f - 6.0f * t);
    else
        v = p;
    return RoundEven(255.0f * v);
}

} // namespace

THSL RGBToHSL(quint8 red, quint8 green, quint8 blue)
{
    const int maximum = std::max({red, green, blue});
    const int minimum = std::min({red, green, blue});
    THSL hsl;
    if (maximum == minimum) {
        hsl.L = float(maximum) / 255.0f;
        return hsl;
    }
    const int sum = maximum + minimum;
    const float d = float(maximum - minimum);
    hsl.L = float(sum) / 510.0f;
    hsl.S = sum < 255 ? d / float(sum) : d / float(510 - sum);
    const float k = (1.0f / 6.0f) / d;
    if (maximum == red)
        hsl.H = k * float(green - blue);
    else if (maximum == green)
        hsl.H = k * float(blue - red) + 1.0f / 3.0f;
    else
        hsl.H = k * float(red - green) + 2.0f / 3.0f;
    if (hsl.H < 0)
        hsl.H += 1;
    return hsl;
}

TColor HSLToRGB(float h, float s, float l)
{
    if (s <= 0) {
        if (l <= 0)
            return RGBColor(0, 0, 0);
        if (l >= 1)
            return RGBColor(255, 255, 255);
        const int grey = RoundEven(255.0f * l);
        return RGBColor(grey, grey, grey);
    }
    float q;
    if (l >= 1 || (l > 0.5f && s >= 1))
        q = 1;
    else if (l > 0.5f)
        q = l + s - l * s;
    else if (l > 0)
        q = l * (1 + s);
    else
        q = 0;
    float p;
    if (l >= 1)
        p = 2 - q;
    else if (l > 0)
        p = 2 * l - q;
    else
        p = q;
    return RGBColor(Channel(p, q, h + 1.0f / 3.0f), Channel(p, q, h), Channel(p, q, h - 1.0f / 3.0f));
}

TColor ChangeLightness(TColor color, float delta)
{
    const TColor rgb = ColorToRGB(color);
    THSL hsl = RGBToHSL(quint8(GetRValue(rgb)), quint8(GetGValue(rgb)), quint8(GetBValue(rgb)));
    hsl.L = std::clamp(hsl.L + delta, 0.0f, 1.0f);
    return HSLToRGB(hsl.H, hsl.S, hsl.L);
}
