// The area classes: hit tests, drag start, and how buttons draw their states.

#include "ICCTestControl.h"

#include "controls/ITVPixels.h"

namespace {

QRgb PixelAt(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFFu;
}

QRgb Rgb(TColor color)
{
    return ColorToQRgb(color) & 0xFFFFFFu;
}

} // namespace

TEST(ICCSquareArea, HitTestIncludesTheRightAndBottomCoordinates)
{
    TICCTestControl control;
    const TICCSquareArea area(&control, QRect(10, 10, 20, 20));
    struct Case
    {
        QPoint p;
        bool inside;
    };
    const Case cases[] = {
        {{10, 10}, true},  {{30, 30}, true},  {{30, 10}, true}, {{9, 20}, false},
        {{31, 20}, false}, {{20, 31}, false}, {{20, 9}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(area.Contains(c.p), c.inside) << c.p.x() << "," << c.p.y();
    EXPECT_FALSE(TICCSquareArea(&control, QRect(10, 10, 0, 5)).Contains({10, 10}));
}

TEST(ICCSquareArea, StoreWritesTheRectangleEdges)
{
    TICCTestControl control;
    QVariantMap values;
    TICCSquareArea(&control, QRect(3, 4, 10, 20)).Store(values);
    EXPECT_EQ(values, (QVariantMap{{"Left", 3}, {"Top", 4}, {"Right", 13}, {"Bottom", 24}}));
}

TEST_F(ICCFixture, DragStartsOnceAfterMovingMoreThanTwoPixelsWithTheButtonHeld)
{
    struct Case
    {
        const char *name;
        std::vector<QPoint> moves;
        int starts;
    };
    const Case cases[] = {
        {"two pixels", {{42, 40}, {40, 42}, {38, 38}}, 0},
        {"three pixels", {{43, 40}}, 1},
        {"further moves", {{40, 37}, {50, 50}, {60, 60}}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int starts = 0;
        RenderWith([&](TICCTestControl &control) {
            control.AddArea(QRect(0, 0, 100, 100), 1)->OnDragStart = [&](TICCSquareArea *, const QPoint &) {
                ++starts;
            };
        });
        Press({40, 40});
        for (const QPoint &p : c.moves)
            Move(p);
        Release(c.moves.back());
        EXPECT_EQ(starts, c.starts);
    }
}

TEST_F(ICCFixture, NoDragStartWithoutTheButtonHeld)
{
    int starts = 0;
    RenderWith([&](TICCTestControl &c) {
        c.AddArea(QRect(0, 0, 100, 100), 1)->OnDragStart = [&](TICCSquareArea *, const QPoint &) {
            ++starts;
        };
    });
    Press({40, 40});
    Release({40, 40});
    Move({60, 60});
    EXPECT_EQ(starts, 0);
}

TEST_F(ICCFixture, PressedButtonDrawsSunkenOnTheCopyWithoutRerendering)
{
    TICC3DButton *button = nullptr;
    RenderWith([&](TICCTestControl &c) {
        button = c.AddCustomArea(std::make_unique<TICC3DButton>(&c, QRect(10, 10, 60, 20)));
    });
    const int rendered = Control->RenderCount;
    const QRgb raisedCorner = PixelAt(Control->grab().toImage(), 10, 10);
    EXPECT_EQ(raisedCorner, Rgb(clBtnFace));

    Press({30, 20});
    EXPECT_TRUE(button->DrawnPressed());
    EXPECT_EQ(PixelAt(Control->grab().toImage(), 10, 10), Rgb(clBtnShadow));
    Move({150, 120}); // off the button: drawn raised while the button is still down
    EXPECT_EQ(PixelAt(Control->grab().toImage(), 10, 10), raisedCorner);
    Release({150, 120});
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(Control->RenderCount, rendered);
}

TEST_F(ICCFixture, ButtonFacesMixTowardsHotLightWhenHoveredOrTinted)
{
    TICC3DButton *button = nullptr;
    RenderWith([&](TICCTestControl &c) {
        button = c.AddCustomArea(std::make_unique<TICC3DButton>(&c, QRect(10, 10, 60, 20)));
    });
    const QRgb face = ColorToQRgb(clBtnFace);
    const QRgb highlight = ColorToQRgb(clBtnHighlight);
    const QRgb hot = ColorToQRgb(clHotLight);
    EXPECT_EQ(button->FaceTopColor(), face);
    EXPECT_EQ(button->FaceBottomColor(), highlight);
    button->SetTinted(true);
    EXPECT_EQ(button->FaceTopColor(), MixTowards(face, hot, 0.035));
    EXPECT_EQ(button->FaceBottomColor(), MixTowards(highlight, hot, 0.10));
    Move({30, 20});
    EXPECT_EQ(button->FaceTopColor(), MixTowards(face, hot, 0.07));
    EXPECT_EQ(button->FaceBottomColor(), MixTowards(highlight, hot, 0.20));
    Press({30, 20});
    EXPECT_EQ(button->FaceTopColor(), MixTowards(highlight, hot, 0.20));
    Release({30, 20});
}

TEST_F(ICCFixture, PlusMinusButtonPixels)
{
    for (const bool plus : {true, false}) {
        SCOPED_TRACE(plus ? "plus" : "minus");
        RenderWith([&](TICCTestControl &c) { c.AddPlusMinusButton(QRect(20, 30, 9, 9), plus, clWindow); });
        const QImage image = Control->grab().toImage();
        const QRgb frame = Rgb(clGradientInactiveCaption);
        EXPECT_EQ(PixelAt(image, 20, 30),
                  MixTowards(ColorToQRgb(clGradientInactiveCaption), ColorToQRgb(clWindow), 0.4) & 0xFFFFFFu);
        EXPECT_EQ(PixelAt(image, 21, 30), frame);
        EXPECT_EQ(PixelAt(image, 28, 35), frame);
        for (int x = 22; x <= 26; ++x)
            EXPECT_EQ(PixelAt(image, x, 34), Rgb(clWindowText)) << x;
        EXPECT_NE(PixelAt(image, 21, 34), Rgb(clWindowText));
        EXPECT_EQ(PixelAt(image, 24, 32) == Rgb(clWindowText), plus);
    }
}

TEST(ICCText3DSortButton, ArrowReservesAGlyphBoxOfAtMostTwentyPixels)
{
    TICCTestControl control;
    struct Case
    {
        int height;
        TICCSortArrow arrow;
        int side; // 0: no box
    };
    const Case cases[] = {
        {21, TICCSortArrow::Up, 17},
        {40, TICCSortArrow::Down, 20},
        {21, TICCSortArrow::None, 0},
    };
    for (const Case &c : cases) {
        TICCText3DSortButton button(&control, QRect(0, 0, 100, c.height), "Unit");
        button.SetArrow(c.arrow);
        EXPECT_EQ(button.GlyphBoxRect().width(), c.side);
        EXPECT_EQ(button.CaptionRect().width(), 96 - (c.side ? c.side + 2 : 0)) << c.height;
    }
}

TEST(ICCText3DButton, CaptionPassesTheTextServiceOnlyWithMultiLang)
{
    TICCTestControl control;
    TICCText3DButton button(&control, QRect(0, 0, 100, 20), "!Size");
    EXPECT_EQ(button.DisplayCaption(), "!Size");
    button.SetMultiLang({true, dtApplication});
    EXPECT_EQ(button.DisplayCaption(), "Size");
}
