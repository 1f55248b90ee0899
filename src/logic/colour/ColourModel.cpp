#include "logic/colour/ColourModel.h"

#include "logic/base/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace color {

Components SplitRGB(std::int32_t packed)
{
    return {packed % 256, (packed / 256) % 256, (packed / 65536) % 256};
}

namespace {
std::string hexPair(int component)
{
    char buf[8];
    // A 16-bit component: negatives as their two's complement.
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(component) & 0xFFFFu);
    std::string text = buf;
    if (text.size() == 1)
        text.insert(text.begin(), '0');
    return text;
}
}  // namespace

std::string GetHexVal(int r, int g, int b)
{
    return hexPair(r) + hexPair(g) + hexPair(b);
}

std::int32_t packRGB(int r, int g, int b)
{
    return std::clamp(r, 0, 255) + 256 * std::clamp(g, 0, 255) + 65536 * std::clamp(b, 0, 255);
}

std::int32_t SafeColorFromIndex(int cell, Components& rgb, std::string& hex)
{
    if (cell < 1 || cell > 216)
        return 0;
    const int i = cell - 1;
    rgb = {51 * (i / 36), 51 * ((i / 6) % 6), 51 * (i % 6)};
    hex = GetHexVal(rgb.r, rgb.g, rgb.b);
    return packRGB(rgb.r, rgb.g, rgb.b);
}

std::int32_t ComposeFromHSB(int s, int b, Components hue)
{
    const auto channel = [s, b](int c) {
        const int mix = (255 - c) * (100 - s);
        return roundToInt((static_cast<double>(mix) / 100 + c) * b / 100);
    };
    return packRGB(channel(hue.r), channel(hue.g), channel(hue.b));
}

std::optional<int> systemColourIndex(std::int32_t packed)
{
    if (packed >= 0)
        return std::nullopt;
    return static_cast<int>(static_cast<std::uint32_t>(packed) & 0x7FFFFFFFu);
}

int roundToInt(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = NumberText::roundHalfEven(value);
    return static_cast<int>(std::clamp(r, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

namespace {
// An integer product divided in double precision, then floored.
int floorRatio(long long product, double divisor)
{
    return static_cast<int>(std::floor(static_cast<double>(product) / divisor));
}
}  // namespace

int fieldXToSaturation(int x) { return floorRatio((x - FieldLeft) * 100LL, 255); }
int fieldXToHue(int x) { return floorRatio((x - FieldLeft) * 360LL, 255); }
int fieldYToBrightness(int y) { return floorRatio((FieldTop + 255 - y) * 100LL, 255); }
int fieldYToSaturation(int y) { return floorRatio((FieldBottom - y) * 100LL, 255); }
int barYToHue(int y) { return floorRatio((FieldTop + 255 - y) * 360LL, 255); }
int barYToPercent(int y) { return floorRatio((FieldTop + 255 - y) * 100LL, 255); }

int saturationToFieldX(double s) { return roundToInt(s * 255 / 100 + FieldLeft); }
int hueToFieldX(double h) { return roundToInt(h * 255 / 360 + FieldLeft); }
int brightnessToFieldY(double b) { return roundToInt(FieldBottom - b * 255 / 100); }
int saturationToFieldY(double s) { return roundToInt(FieldBottom - s * 255 / 100); }

int hueToBarPos(double h)
{
    const double y = std::floor(BarBottom - h * 255 / 360);
    return static_cast<int>(std::clamp(y, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

float hueToBarPosTyping(double h)
{
    return static_cast<float>(BarBottom - h * 255 / 360);
}

}  // namespace color
