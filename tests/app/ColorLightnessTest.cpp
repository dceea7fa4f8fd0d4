#include "app/ColorLightness.h"

#include <gtest/gtest.h>

namespace {

struct THSLCase
{
    quint8 Red, Green, Blue;
    float H, S, L;
};

void PrintTo(const THSLCase &c, std::ostream *os)
{
    *os << int(c.Red) << '_' << int(c.Green) << '_' << int(c.Blue);
}

class RGBToHSLTest : public ::testing::TestWithParam<THSLCase>
{
};

TEST_P(RGBToHSLTest, ConvertsInSinglePrecision)
{
    const THSLCase &c = GetParam();
    const THSL hsl = RGBToHSL(c.Red, c.Green, c.Blue);
    EXPECT_FLOAT_EQ(hsl.H, c.H);
    EXPECT_FLOAT_EQ(hsl.S, c.S);
    EXPECT_FLOAT_EQ(hsl.L, c.L);
}

INSTANTIATE_TEST_SUITE_P(Cases, RGBToHSLTest,
                         ::testing::Values(THSLCase{0, 0, 0, 0, 0, 0}, THSLCase{255, 255, 255, 0, 0, 1},
                                           THSLCase{128, 128, 128, 0, 0, 128 / 255.0f},
                                           THSLCase{255, 0, 0, 0, 1, 0.5f},
                                           THSLCase{0, 255, 0, 1 / 3.0f, 1, 0.5f},
                                           THSLCase{0, 0, 255, 2 / 3.0f, 1, 0.5f},
                                           // red and blue equal: the red case wins, hue wraps below 0
                                           THSLCase{255, 0, 255, 1 - 1 / 6.0f, 1, 0.5f},
                                           // dark colour: saturation over the sum
                                           THSLCase{100, 50, 50, 0, 50 / 150.0f, 150 / 510.0f},
                                           // light colour: saturation over 510 minus the sum
                                           THSLCase{192, 192, 255, 2 / 3.0f, 1, 447 / 510.0f}));

struct TRGBCase
{
    float H, S, L;
    TColor Color;
};

void PrintTo(const TRGBCase &c, std::ostream *os)
{
    *os << c.H << '_' << c.S << '_' << c.L;
}

class HSLToRGBTest : public ::testing::TestWithParam<TRGBCase>
{
};

TEST_P(HSLToRGBTest, RoundsHalvesToEven)
{
    EXPECT_EQ(HSLToRGB(GetParam().H, GetParam().S, GetParam().L), GetParam().Color);
}

INSTANTIATE_TEST_SUITE_P(Cases, HSLToRGBTest,
                         ::testing::Values(TRGBCase{0.3f, 0, 0, 0x000000}, TRGBCase{0.3f, 0, 1, 0xFFFFFF},
                                           TRGBCase{0, 0, 0.5f, 0x808080}, // 127.5 rounds to 128
                                           TRGBCase{0, 0, 0.25f, 0x404040},
                                           TRGBCase{0, 0, 0.5f / 255.0f, 0x000000}, // 0.5 rounds to 0
                                           TRGBCase{0, 0, 1.5f / 255.0f, 0x020202}, // 1.5 rounds to 2
                                           TRGBCase{0, 1, 0.5f, 0x0000FF},
                                           TRGBCase{1 / 3.0f, 1, 0.5f, 0x00FF00},
                                           TRGBCase{2 / 3.0f, 1, 0.5f, 0xFF0000},
                                           TRGBCase{0.5f, 1, 1, 0xFFFFFF}, TRGBCase{0.5f, 1, 0, 0x000000},
                                           TRGBCase{0.5f, 0.5f, 0.75f, 0xDFDF9F}));

TEST(ChangeLightnessTest, MovesLightnessAndClamps)
{
    struct TCase
    {
        TColor Color;
        float Delta;
        TColor Expected;
    } cases[] = {
        {0xFFFFFF, 0.1f, 0xFFFFFF},  // white stays white
        {0xFFC0C0, -0.5f, 0xC00000}, // the unit bar of a selected row: dark blue
        {0x808080, 0.1f, 0x9A9A9A},  // grey stays grey
        {0x808080, -0.1f, 0x676767}, {0x123456, 2.0f, 0xFFFFFF}, {0x123456, -2.0f, 0x000000},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(ChangeLightness(c.Color, c.Delta), c.Expected) << std::hex << c.Color << " " << c.Delta;
}

TEST(ChangeLightnessTest, ZeroDeltaKeepsEveryBarColour)
{
    for (const TColor color : {0xFFC0C0, 0xD0E0E0, 0xC0F0C0, 0xC0C0F0, 0xE0C0E0})
        EXPECT_EQ(ChangeLightness(color, 0), color) << std::hex << color;
}

TEST(ChangeLightnessTest, ResolvesSystemColoursFirst)
{
    EXPECT_EQ(ChangeLightness(clWindow, 0), ColorToRGB(clWindow));
}

} // namespace
