#include "controls/UColors.h"

#include <QApplication>
#include <QPalette>

namespace {

QPalette::ColorRole PaletteRole(TColor systemColor)
{
    switch (systemColor) {
    case clWindow:
        return QPalette::Base;
    case clWindowText:
        return QPalette::Text;
    case clBtnText:
        return QPalette::ButtonText;
    case clBtnHighlight:
        return QPalette::Light;
    case clBtnShadow:
        return QPalette::Dark;
    case cl3DDkShadow:
    case clWindowFrame:
        return QPalette::Shadow;
    case clHighlight:
        return QPalette::Highlight;
    case clHighlightText:
        return QPalette::HighlightedText;
    case clHotLight:
        return QPalette::Link;
    case clGradientInactiveCaption:
        return QPalette::Midlight;
    default:
        return QPalette::Button;
    }
}

} // namespace

TColor ColorToRGB(TColor color)
{
    if ((color & clSystemColor) != clSystemColor)
        return color & 0xFFFFFF;
    return QColorToColor(QApplication::palette().color(PaletteRole(color)));
}

QRgb ColorToQRgb(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QColor ColorToQColor(TColor color)
{
    return QColor::fromRgb(ColorToQRgb(color));
}

TColor QColorToColor(const QColor &color)
{
    return RGBColor(color.red(), color.green(), color.blue());
}
