#include "logic/colour/ColourImages.h"

#include <gtest/gtest.h>

using namespace color;

namespace {
// The pixel the picker shows at display column x of a mirrored field.
Components shown(const Dib& mirroredImage, int x, int row)
{
    return mirroredImage.pixel(255 - x, row);
}
}  // namespace

TEST(ColourImages, BuffersAreBottomUpBgrWithPaddedRows)
{
    const Dib field = DrawSatBrightField(255, 128, 0);
    EXPECT_EQ(field.width, 256);
    EXPECT_EQ(field.height, 256);
    EXPECT_EQ(field.stride, 768);
    EXPECT_EQ(field.bits.size(), 196608u);
    // The first stored row is the bottom one (black); the top row comes last.
    EXPECT_EQ(field.bits[0], 0);
    const std::size_t topRight = 255 * 768 + 255 * 3;
    EXPECT_EQ(field.bits[topRight], 0);        // blue
    EXPECT_EQ(field.bits[topRight + 1], 128);  // green
    EXPECT_EQ(field.bits[topRight + 2], 255);  // red

    for (const Dib& bar : {DrawHueBar(), DrawBrightBar(1, 2, 3), DrawSatBar(1, 2, 3)}) {
        EXPECT_EQ(bar.width, 15);
        EXPECT_EQ(bar.stride, 48);
        EXPECT_EQ(bar.bits.size(), 48u * 256);
    }
}

TEST(ColourImages, SatBrightFieldRunsFromWhiteToTheHueOverBlack)
{
    const Dib field = DrawSatBrightField(0, 128, 255);
    EXPECT_EQ(field.pixel(0, 0), (Components{255, 255, 255}));
    EXPECT_EQ(field.pixel(255, 0), (Components{0, 128, 255}));
    for (int x = 0; x < 256; ++x)
        ASSERT_EQ(field.pixel(x, 255), (Components{0, 0, 0})) << x;
    // Each row runs from grey on the left to the scaled hue on the right.
    EXPECT_EQ(field.pixel(0, 128), (Components{127, 127, 127}));
    EXPECT_EQ(field.pixel(255, 128), (Components{0, 64, 127}));
}

TEST(ColourImages, HueSatFieldIsSaturatedAtTheTopAndWhiteAtTheBottom)
{
    const Dib field = DrawHueSatField();
    EXPECT_EQ(shown(field, 0, 0), (Components{255, 0, 0}));  // the top-left pixel as shown
    for (int x = 0; x < 256; ++x)
        ASSERT_EQ(field.pixel(x, 255), (Components{255, 255, 255})) << x;
    // The six runs along the top row, at their first and last columns.
    const std::pair<int, Components> top[] = {
        {0, {255, 0, 0}},     {42, {255, 0, 252}},  {43, {249, 0, 255}},  {85, {0, 0, 255}},
        {86, {0, 0, 255}},    {128, {0, 252, 255}}, {129, {0, 255, 249}}, {170, {0, 255, 3}},
        {171, {0, 255, 0}},   {212, {246, 255, 0}}, {213, {255, 249, 0}}, {255, {255, 0, 0}},
    };
    for (const auto& [w, colour] : top)
        EXPECT_EQ(field.pixel(w, 0), colour) << w;
    // Shown mirrored: red, yellow, green, cyan, blue, magenta from the left.
    EXPECT_EQ(shown(field, 42, 0), (Components{255, 249, 0}));
    EXPECT_EQ(shown(field, 255, 0), (Components{255, 0, 0}));
}

TEST(ColourImages, HueBrightFieldFadesToBlack)
{
    const Dib bright = DrawHueBrightField();
    const Dib sat = DrawHueSatField();
    for (int x = 0; x < 256; ++x) {
        ASSERT_EQ(bright.pixel(x, 255), (Components{0, 0, 0})) << x;
        ASSERT_EQ(bright.pixel(x, 0), sat.pixel(x, 0)) << x;  // the top rows agree
    }
    EXPECT_EQ(bright.pixel(10, 128), (Components{127, 0, 30}));
    EXPECT_EQ(shown(bright, 0, 0), (Components{255, 0, 0}));
}

TEST(ColourImages, HueBarRunsAtTheirBounds)
{
    const Dib bar = DrawHueBar();
    const std::pair<int, Components> rows[] = {
        {0, {255, 0, 0}},     {42, {255, 0, 252}},  {43, {252, 0, 255}},  {85, {0, 0, 255}},
        {86, {0, 6, 255}},    {127, {0, 252, 255}}, {128, {0, 255, 252}}, {170, {0, 255, 0}},
        {171, {6, 255, 0}},   {212, {252, 255, 0}}, {213, {255, 252, 0}}, {255, {255, 0, 0}},
    };
    for (const auto& [y, colour] : rows) {
        EXPECT_EQ(bar.pixel(0, y), colour) << y;
        EXPECT_EQ(bar.pixel(14, y), colour) << y;
        // The sixteenth pixel of the row fills the padding.
        const std::uint8_t* row = bar.rowAtTop(y);
        EXPECT_EQ(row[45], colour.b);
        EXPECT_EQ(row[46], colour.g);
        EXPECT_EQ(row[47], colour.r);
    }
}

TEST(ColourImages, BrightAndSatBarsStartAtTheColour)
{
    const Dib bright = DrawBrightBar(200, 100, 51);
    const Dib sat = DrawSatBar(200, 100, 51);
    for (int x : {0, 14}) {
        EXPECT_EQ(bright.pixel(x, 0), (Components{200, 100, 51}));
        EXPECT_EQ(bright.pixel(x, 255), (Components{0, 0, 0}));
        EXPECT_EQ(sat.pixel(x, 0), (Components{200, 100, 51}));
        EXPECT_EQ(sat.pixel(x, 255), (Components{255, 255, 255}));
    }
    EXPECT_EQ(bright.pixel(7, 128), (Components{100, 50, 25}));  // 99.6, 49.8, 25.4
    EXPECT_EQ(sat.pixel(7, 128), (Components{228, 178, 153}));   // 227.6, 177.8, 153.4
}
