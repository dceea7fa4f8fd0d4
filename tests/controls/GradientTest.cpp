#include "controls/CGradient.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage Render(TGradient &gradient)
{
    QImage image(gradient.size(), QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QPainter canvas(&image);
    gradient.PaintTo(canvas);
    return image;
}

TEST(Gradient, InitialValues)
{
    TGradient gradient;
    EXPECT_EQ(gradient.size(), QSize(100, 32));
    EXPECT_EQ(gradient.ColorBegin(), clBtnText);
    EXPECT_EQ(gradient.ColorEnd(), clBtnFace);
    EXPECT_EQ(gradient.BorderMargin(), 6);
    EXPECT_EQ(gradient.BackgroundStyle(), TGradient::bsGradientOnly);
    EXPECT_TRUE(gradient.MultiLang());
    EXPECT_EQ(gradient.focusPolicy(), Qt::NoFocus);
}

TEST(Gradient, NegativeMarginReadsZero)
{
    TGradient gradient;
    gradient.SetBorderMargin(-5);
    EXPECT_EQ(gradient.BorderMargin(), 0);
}

TEST(Gradient, GlyphAndStandardGlyphExcludeEachOther)
{
    TGradient gradient;
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::green);
    gradient.SetGlyph(picture);
    gradient.SetGlyphStandard(QStringLiteral("png_error_red_32"));
    EXPECT_TRUE(gradient.Glyph().isNull());
    gradient.SetGlyph(picture);
    EXPECT_EQ(gradient.GlyphStandard(), QString());
    EXPECT_FALSE(gradient.Glyph().isNull());

    QImage background(4, 4, QImage::Format_RGB32);
    gradient.SetBackground(background);
    gradient.SetBackgroundStandard(QStringLiteral("png_information_blue_32"));
    EXPECT_TRUE(gradient.Background().isNull());
}

TEST(Gradient, OrientationChoosesDirectionAndEnds)
{
    struct Case
    {
        TGradient::TGradientOrientation Orientation;
        QPoint First, Last;
    };
    for (const Case &c :
         {Case{TGradient::goLeftToRight, {0, 5}, {99, 5}}, Case{TGradient::goRightToLeft, {99, 5}, {0, 5}},
          Case{TGradient::goTopToBottom, {50, 0}, {50, 31}},
          Case{TGradient::goBottomToTop, {50, 31}, {50, 0}}}) {
        TGradient gradient;
        gradient.SetColorBegin(clRed);
        gradient.SetColorEnd(RGBColor(0, 0, 255));
        gradient.SetOrientation(c.Orientation);
        const QImage image = Render(gradient);
        EXPECT_EQ(image.pixel(c.First), qRgb(255, 0, 0)) << c.Orientation;
        EXPECT_EQ(image.pixel(c.Last), qRgb(0, 0, 255)) << c.Orientation;
    }
}

TEST(Gradient, BorderGlyphAndCaption)
{
    TGradient gradient;
    gradient.resize(200, 40);
    gradient.SetColorBegin(clWhite);
    gradient.SetColorEnd(clWhite);
    gradient.SetBorderStyle(TGradient::bsSingle);
    gradient.SetBorderColor(clBlack);
    gradient.SetBorderMargin(4);
    gradient.SetGlyphStandard(QStringLiteral("png_error_red_32"));
    gradient.SetGlyphAlignment(TGradient::taLeftJustify);
    gradient.SetCaption(QStringLiteral("!Titre"));
    gradient.SetFontColor(clBlack);
    const QImage image = Render(gradient);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(199, 39), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(150, 1), qRgb(255, 255, 255));
    EXPECT_LT(qGreen(image.pixel(4 + 5, 4 + 16)), 150) << "the glyph sits at the margin, centred vertically";
    bool captionDrawn = false;
    for (int x = 4 + 32 + 4; x < 120 && !captionDrawn; ++x)
        for (int y = 5; y < 35; ++y)
            captionDrawn |= image.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_TRUE(captionDrawn) << "the caption starts right of the glyph";
}

TEST(Gradient, TiledBackgroundWithoutPictureLeavesTheSurface)
{
    TGradient gradient;
    gradient.SetBackgroundStyle(TGradient::bsTiledBackground);
    EXPECT_EQ(Render(gradient).pixel(50, 16), qRgb(1, 2, 3));

    QImage tile(3, 3, QImage::Format_RGB32);
    tile.fill(qRgb(9, 99, 199));
    gradient.SetBackground(tile);
    const QImage tiled = Render(gradient);
    EXPECT_EQ(tiled.pixel(0, 0), qRgb(9, 99, 199));
    EXPECT_EQ(tiled.pixel(99, 31), qRgb(9, 99, 199));
}

} // namespace
