#pragma once

#include "logic/colour/ColourModel.h"

#include <cstdint>
#include <vector>

namespace color {

// A 24-bit device-independent bitmap: rows stored bottom-up, each pixel as
// blue, green, red, each row padded to a multiple of 4 bytes.
struct Dib {
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per stored row
    std::vector<std::uint8_t> bits;

    Dib(int width, int height);
    // Display row 0 is the top row, stored last.
    std::uint8_t* rowAtTop(int row);
    const std::uint8_t* rowAtTop(int row) const;
    Components pixel(int x, int row) const;
    void setPixel(int x, int row, int r, int g, int b);
};

constexpr int fieldSize = 256;
constexpr int barWidth = BarRight - BarLeft;

// H mode: saturation left to right, brightness bottom to top, for the pure hue (r, g, b).
Dib DrawSatBrightField(int r, int g, int b);
// B mode and S mode: hue across, saturation or brightness down. These are
// stored in image order; the picker shows image column 255 - x at display column x.
Dib DrawHueSatField();
Dib DrawHueBrightField();
// H mode: hue 360 at the top down to 0 at the bottom; 15 pixels wide, each
// 48-byte row filled with 16 pixels so the padding holds the colour too.
Dib DrawHueBar();
// B mode and S mode: the colour at the top, fading to black or to white at the bottom.
Dib DrawBrightBar(int r, int g, int b);
Dib DrawSatBar(int r, int g, int b);

}  // namespace color
