#include "logic/base/AppPaths.h"
#include "logic/colour/ColourModel.h"
#include "logic/colour/PaletteCells.h"

#include <gtest/gtest.h>

using namespace color;

TEST(ColourModel, SplitRGBTakesTheThreeLowBytes)
{
    EXPECT_EQ(SplitRGB(16777215), (Components{255, 255, 255}));
    EXPECT_EQ(SplitRGB(255), (Components{255, 0, 0}));
    EXPECT_EQ(SplitRGB(65280), (Components{0, 255, 0}));
    EXPECT_EQ(SplitRGB(0x123456), (Components{0x56, 0x34, 0x12}));
    // Truncating division: negative values split into negative parts.
    EXPECT_EQ(SplitRGB(-1), (Components{-1, 0, 0}));
    EXPECT_EQ(SplitRGB(systemWindowColour), (Components{-251, -255, -255}));
}

TEST(ColourModel, GetHexValPadsEachPairAndPutsRedFirst)
{
    EXPECT_EQ(GetHexVal(0, 10, 255), "000AFF");
    EXPECT_EQ(GetHexVal(255, 255, 255), "FFFFFF");
    EXPECT_EQ(GetHexVal(255, 8, 0), "FF0800");
    EXPECT_EQ(GetHexVal(0, 0, 0), "000000");
    // A negative part prints as four digits, so the text grows.
    EXPECT_EQ(GetHexVal(-251, 0, 0), "FF050000");
}

TEST(ColourModel, SafeColoursRunRedOutermostBlueInnermost)
{
    Components rgb;
    std::string hex;
    EXPECT_EQ(SafeColorFromIndex(1, rgb, hex), 0);
    EXPECT_EQ(rgb, (Components{0, 0, 0}));
    EXPECT_EQ(hex, "000000");
    EXPECT_EQ(SafeColorFromIndex(6, rgb, hex), 0xFF0000);
    EXPECT_EQ(rgb, (Components{0, 0, 255}));
    EXPECT_EQ(SafeColorFromIndex(7, rgb, hex), 0x003300);
    EXPECT_EQ(rgb, (Components{0, 51, 0}));
    EXPECT_EQ(hex, "003300");
    EXPECT_EQ(SafeColorFromIndex(37, rgb, hex), 51);
    EXPECT_EQ(SafeColorFromIndex(216, rgb, hex), 0xFFFFFF);
    EXPECT_EQ(hex, "FFFFFF");

    // Out of range: 0, and the caller's values stay.
    rgb = {1, 2, 3};
    hex = "keep";
    for (int cell : {0, 217, 224, -5}) {
        EXPECT_EQ(SafeColorFromIndex(cell, rgb, hex), 0);
        EXPECT_EQ(rgb, (Components{1, 2, 3}));
        EXPECT_EQ(hex, "keep");
    }
}

TEST(ColourModel, ComposeMixesTowardWhiteThenScales)
{
    for (const Components hue : {Components{255, 0, 0}, Components{0, 255, 12}, Components{90, 10, 200}}) {
        EXPECT_EQ(ComposeFromHSB(0, 100, hue), 0xFFFFFF);
        EXPECT_EQ(ComposeFromHSB(37, 0, hue), 0);
        EXPECT_EQ(ComposeFromHSB(100, 100, hue), packRGB(hue.r, hue.g, hue.b));
    }
    // 127.5 -> 128 and 63.75 -> 64.
    EXPECT_EQ(ComposeFromHSB(50, 50, {255, 0, 0}), packRGB(128, 64, 64));
    // 42.5 rounds to the even 42.
    EXPECT_EQ(ComposeFromHSB(100, 50, {85, 0, 0}), packRGB(42, 0, 0));
    // Values typed outside 0..100 cannot make a component leave 0..255.
    EXPECT_EQ(ComposeFromHSB(-100, 200, {0, 0, 0}), 0xFFFFFF);
}

TEST(ColourModel, FieldAndBarPositionsMapToValues)
{
    EXPECT_EQ(barYToHue(BarTop), 360);
    EXPECT_EQ(barYToHue(BarBottom), 0);
    EXPECT_EQ(barYToHue(100), 232);
    EXPECT_EQ(fieldXToHue(FieldLeft), 0);
    EXPECT_EQ(fieldXToSaturation(FieldLeft), 0);
    EXPECT_EQ(fieldXToHue(FieldRight), 360);
    EXPECT_EQ(fieldXToSaturation(FieldRight), 100);
    EXPECT_EQ(fieldXToSaturation(137), 49);  // 49.8 floors
    EXPECT_EQ(fieldYToBrightness(FieldTop), 100);
    EXPECT_EQ(fieldYToBrightness(FieldBottom), 0);
    EXPECT_EQ(fieldYToSaturation(FieldTop), 100);
    EXPECT_EQ(barYToPercent(BarTop), 100);
    EXPECT_EQ(barYToPercent(BarBottom), 0);
    EXPECT_EQ(barYToPercent(BarBottom + 1), -1);
}

TEST(ColourModel, ValuesMapBackToPositionsRoundingToEven)
{
    EXPECT_EQ(saturationToFieldX(50), 138);   // 137.5
    EXPECT_EQ(saturationToFieldX(30), 86);    // 86.5
    EXPECT_EQ(hueToFieldX(360), FieldRight);
    EXPECT_EQ(hueToFieldX(0), FieldLeft);
    EXPECT_EQ(brightnessToFieldY(100), FieldTop);
    EXPECT_EQ(brightnessToFieldY(50), 138);   // 137.5
    EXPECT_EQ(saturationToFieldY(0), FieldBottom);
    EXPECT_EQ(hueToBarPos(0), BarBottom);
    EXPECT_EQ(hueToBarPos(360), BarTop);
    EXPECT_EQ(hueToBarPos(2), 263);           // 263.58 floors
    EXPECT_FLOAT_EQ(hueToBarPosTyping(180), 137.5f);
    EXPECT_FLOAT_EQ(hueToBarPosTyping(2), 263.58334f);
    EXPECT_EQ(saturationToFieldX(9999), 25507);
}

TEST(ColourModel, OnlyNegativeValuesAreDesktopColours)
{
    EXPECT_EQ(systemColourIndex(systemWindowColour), 5);
    EXPECT_EQ(systemColourIndex(-2147483643), 5);
    EXPECT_EQ(systemColourIndex(static_cast<std::int32_t>(0x8000000Fu)), 15);
    EXPECT_EQ(systemColourIndex(0), std::nullopt);
    EXPECT_EQ(systemColourIndex(0xFFFFFF), std::nullopt);
}

TEST(PaletteCells, FourteenRowsOfSixteenWithThreePixelGaps)
{
    EXPECT_EQ(PaletteCells::cellRect(1), (PaletteCells::Rect{10, 10, 25, 25}));
    EXPECT_EQ(PaletteCells::cellRect(16), (PaletteCells::Rect{280, 10, 295, 25}));
    EXPECT_EQ(PaletteCells::cellRect(17), (PaletteCells::Rect{10, 28, 25, 43}));
    EXPECT_EQ(PaletteCells::cellRect(216), (PaletteCells::Rect{136, 244, 151, 259}));
    EXPECT_EQ(PaletteCells::cellRect(224), (PaletteCells::Rect{280, 244, 295, 259}));
}

TEST(PaletteCells, OnlyPointsStrictlyInsideACellHitIt)
{
    EXPECT_EQ(PaletteCells::cellAt(11, 11), 1);
    EXPECT_EQ(PaletteCells::cellAt(24, 24), 1);
    EXPECT_EQ(PaletteCells::cellAt(10, 15), 0);  // on the outline
    EXPECT_EQ(PaletteCells::cellAt(25, 15), 0);
    EXPECT_EQ(PaletteCells::cellAt(27, 15), 0);  // in the gap
    EXPECT_EQ(PaletteCells::cellAt(29, 15), 2);
    EXPECT_EQ(PaletteCells::cellAt(294, 258), 224);
    EXPECT_EQ(PaletteCells::cellAt(300, 300), 0);
    EXPECT_EQ(PaletteCells::cellAt(17, 265), 0);  // below the last row
}

TEST(ColourPaths, TheUserColourFileIsJoinedWithASlashAsIs)
{
    AppPaths paths;
    paths.midiFolder = "/home/u/.local/share/velorin";
    EXPECT_EQ(paths.userColourFile(), "/home/u/.local/share/velorin/usercolors.cps");
    EXPECT_EQ(paths.skinFile(), "/home/u/.local/share/velorin/skincolor.ini");
    paths.midiFolder = "/";
    EXPECT_EQ(paths.userColourFile(), "//usercolors.cps");
    EXPECT_EQ(paths.skinFile(), "/skincolor.ini");
}
