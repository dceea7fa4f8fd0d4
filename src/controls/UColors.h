#pragma once
// Colours as the rest of the system stores them: 24-bit 0xBBGGRR values, or system colour identifiers
// (clSystemColor plus a palette role) that are resolved against the application palette when mixed or
// drawn.

#include <QColor>
#include <QRgb>
#include <cstdint>

using TColor = std::int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clWindow = clSystemColor | 0x05;
constexpr TColor clWindowText = clSystemColor | 0x08;
constexpr TColor clWindowFrame = clSystemColor | 0x06;
constexpr TColor clHighlight = clSystemColor | 0x0D;
constexpr TColor clHighlightText = clSystemColor | 0x0E;
constexpr TColor clBtnFace = clSystemColor | 0x0F;
constexpr TColor clBtnShadow = clSystemColor | 0x10;
constexpr TColor clBtnText = clSystemColor | 0x12;
constexpr TColor clBtnHighlight = clSystemColor | 0x14;
constexpr TColor cl3DDkShadow = clSystemColor | 0x15;
constexpr TColor clHotLight = clSystemColor | 0x1A;
constexpr TColor clGradientInactiveCaption = clSystemColor | 0x1C;

constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor RGBColor(int red, int green, int blue)
{
    return static_cast<TColor>((blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF));
}
constexpr int GetRValue(TColor color)
{
    return color & 0xFF;
}
constexpr int GetGValue(TColor color)
{
    return (color >> 8) & 0xFF;
}
constexpr int GetBValue(TColor color)
{
    return (color >> 16) & 0xFF;
}

// A system colour becomes the RGB of its palette role; an RGB colour is returned unchanged.
TColor ColorToRGB(TColor color);

QRgb ColorToQRgb(TColor color);
QColor ColorToQColor(TColor color);
TColor QColorToColor(const QColor &color);
