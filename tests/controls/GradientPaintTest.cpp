#include "controls/UGradientPaint.h"

#include <QImage>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace {

QImage Paint(QSize size, const std::function<void(QPainter &)> &draw)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QPainter canvas(&image);
    draw(canvas);
    return image;
}

QRgb Rgb(int r, int g, int b)
{
    return qRgb(r, g, b);
}

TEST(GradientPaint, Lerp32MixesEachChannel)
{
    const TColor a = RGBColor(0, 100, 255);
    const TColor b = RGBColor(255, 200, 0);
    EXPECT_EQ(Lerp32(a, b, 0), a);
    EXPECT_EQ(Lerp32(a, b, 1), b);
    EXPECT_EQ(Lerp32(a, b, 0.5), RGBColor(127, 150, 127));
    // k = round(0.25 * 1024) = 256: (255 * 256) >> 10 = 63, (100 * 768 + 200 * 256) >> 10 = 125
    EXPECT_EQ(Lerp32(a, b, 0.25), RGBColor(63, 125, 191));
}

TEST(GradientPaint, RampsRunFromZeroToOne)
{
    struct Case
    {
        int D;
        double Linear;
        double Quadratic;
    };
    for (const Case &c :
         {Case{0, 0, 0}, Case{1, 0.25, 0.375}, Case{2, 0.5, 0.5}, Case{3, 0.75, 0.625}, Case{4, 1, 1}}) {
        EXPECT_DOUBLE_EQ(LinearRamp(c.D, 4), c.Linear) << c.D;
        EXPECT_DOUBLE_EQ(QuadraticRamp(c.D, 4), c.Quadratic) << c.D;
    }
}

TEST(GradientPaint, PlainGradientStripes)
{
    const QImage horizontal = Paint(QSize(5, 2), [](QPainter &p) {
        DrawGradientRect(p, QRect(0, 0, 5, 2), clBlack, clWhite, gdHorizontal, grLinear);
    });
    const int expected[] = {0, 63, 127, 191, 255};
    for (int x = 0; x < 5; ++x)
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(horizontal.pixel(x, y), Rgb(expected[x], expected[x], expected[x])) << x << "," << y;

    const QImage vertical = Paint(QSize(3, 5), [](QPainter &p) {
        DrawGradientRect(p, QRect(0, 0, 3, 5), clRed, clBlack, gdVertical, grQuadratic);
    });
    EXPECT_EQ(vertical.pixel(1, 0), Rgb(255, 0, 0));
    EXPECT_EQ(vertical.pixel(1, 1), Rgb(159, 0, 0)); // t = 0.375
    EXPECT_EQ(vertical.pixel(1, 4), Rgb(0, 0, 0));
}

TEST(GradientPaint, OnePixelAlongTheGradientDrawsNothing)
{
    const QRgb untouched = qRgb(1, 2, 3);
    const QImage narrow = Paint(QSize(4, 4), [](QPainter &p) {
        DrawGradientRect(p, QRect(0, 0, 1, 4), clWhite, clWhite, gdHorizontal, grLinear);
        DrawGradientRect(p, QRect(2, 0, 2, 1), clWhite, clWhite, gdVertical, grLinear);
        DrawBrushedGradientRect(p, QRect(0, 0, 1, 4), clWhite, clWhite, gdHorizontal, 32);
        DrawBrushedGradientRect(p, QRect(0, 0, 4, 0), clWhite, clWhite, gdHorizontal, 32);
    });
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            EXPECT_EQ(narrow.pixel(x, y), untouched) << x << "," << y;
}

// The main window's band: begin 15133416 and end 10930928, 664 x 65.
constexpr TColor BandBegin = 15133416;
constexpr TColor BandEnd = 10930928;

TEST(GradientPaint, BrushedBandShowsRedAndBlueExchangedWithAFixedTexture)
{
    const QImage band = Paint(QSize(664, 65), [](QPainter &p) {
        DrawBrushedGradientRect(p, QRect(0, 0, 664, 65), BandBegin, BandEnd, gdHorizontal, 32);
    });
    struct Pixel
    {
        int X, Y;
        QRgb Expected;
    };
    // Worked out by hand from the texture tables.
    for (const Pixel &px : {Pixel{0, 0, Rgb(230, 234, 232)}, Pixel{100, 0, Rgb(212, 225, 234)},
                            Pixel{331, 10, Rgb(197, 217, 236)}, Pixel{663, 0, Rgb(166, 202, 240)},
                            Pixel{663, 64, Rgb(167, 202, 239)}, Pixel{200, 37, Rgb(206, 222, 234)},
                            Pixel{500, 64, Rgb(188, 213, 237)}})
        EXPECT_EQ(band.pixel(px.X, px.Y), px.Expected) << px.X << "," << px.Y;

    const QImage again = Paint(QSize(664, 65), [](QPainter &p) {
        DrawBrushedGradientRect(p, QRect(0, 0, 664, 65), BandBegin, BandEnd, gdHorizontal, 32);
    });
    EXPECT_EQ(band, again);
}

TEST(GradientPaint, BrushedTextureRepeatsEvery512Lines)
{
    const QImage tall = Paint(QSize(40, 520), [](QPainter &p) {
        DrawBrushedGradientRect(p, QRect(0, 0, 40, 520), clBlack, clWhite, gdHorizontal, 32);
    });
    const auto row = [&](int y) { return tall.copy(0, y, 40, 1); };
    EXPECT_EQ(row(3), row(515));
    EXPECT_NE(row(3), row(4));

    const QImage wide = Paint(QSize(520, 40), [](QPainter &p) {
        DrawBrushedGradientRect(p, QRect(0, 0, 520, 40), clBlack, clWhite, gdVertical, 32);
    });
    EXPECT_EQ(wide.copy(3, 0, 1, 40), wide.copy(515, 0, 1, 40));
}

TEST(GradientPaint, FewColoursFallBackToThePlainQuadraticGradient)
{
    const QImage band = Paint(QSize(664, 65), [](QPainter &p) {
        DrawBrushedGradientRect(p, QRect(0, 0, 664, 65), BandBegin, BandEnd, gdHorizontal, 14);
    });
    EXPECT_EQ(band.pixel(0, 0), Rgb(232, 234, 230));
    EXPECT_EQ(band.pixel(663, 64), Rgb(240, 202, 166));
    EXPECT_EQ(band.copy(0, 0, 664, 1), band.copy(0, 40, 664, 1)) << "no texture";
}

TEST(GradientPaint, TextureTablesAreFixed)
{
    const TGradientBrushMetalFX tables(2, 0.2);
    EXPECT_EQ(tables.Random(0), 36536);
    EXPECT_EQ(tables.Random(1), 13502);
    EXPECT_DOUBLE_EQ(tables.Sine(0), 0.0);
    EXPECT_DOUBLE_EQ(tables.Sine(64), 1.0);
    EXPECT_DOUBLE_EQ(tables.Sine(192), -1.0);
    // r = 36536: (36536 * 36536 >> 2) and 255 = 16
    EXPECT_DOUBLE_EQ(tables.Amplitude(0), 16 * 0.2 / 256);
    EXPECT_DOUBLE_EQ(tables.Amplitude(512), tables.Amplitude(0));
}

} // namespace
