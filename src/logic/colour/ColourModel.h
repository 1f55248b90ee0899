#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The colour picker's arithmetic: packed colours (red + 256 x green +
// 65536 x blue), their components, hex text, the 216 safe colours and the
// hue/saturation/brightness positions of the picker's field and bar.
namespace color {

// The picker's geometry, in pixels of the dialog's client area.
constexpr int FieldLeft = 10;
constexpr int FieldTop = 10;
constexpr int FieldRight = FieldLeft + 255;
constexpr int FieldBottom = FieldTop + 255;
constexpr int BarLeft = FieldRight + 12;
constexpr int BarTop = FieldTop;
constexpr int BarRight = BarLeft + 15;
constexpr int BarBottom = FieldBottom;

// A sixth of the field's span: the length of one hue run.
constexpr float segment = static_cast<float>(FieldBottom - FieldTop) / 6;

struct Components {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Components&) const = default;
};

// Components of a packed value; division truncates toward zero and the
// remainder keeps the dividend's sign, so a negative value gives negative parts.
Components SplitRGB(std::int32_t packed);

// Six upper-case hex digits, red first: (255, 8, 0) -> "FF0800". A negative
// component prints as its 16-bit two's complement.
std::string GetHexVal(int r, int g, int b);

// Safe colour cell 1..216 (red outermost, blue innermost, steps of 51).
// Outside that range the result is 0 and rgb and hex stay as passed in.
std::int32_t SafeColorFromIndex(int cell, Components& rgb, std::string& hex);

// The packed value of components, each held to 0..255.
std::int32_t packRGB(int r, int g, int b);

// The pure hue mixed toward white by (100 - s) percent, then scaled by b percent.
std::int32_t ComposeFromHSB(int s, int b, Components hue);

// A packed value with the top bit set names a colour of the desktop:
// the index below the top bit. Nothing for an ordinary value.
std::optional<int> systemColourIndex(std::int32_t packed);
// The window background colour of the desktop, as the picker's swatch starts.
constexpr std::int32_t systemWindowColour = static_cast<std::int32_t>(0x80000005u);

// Field and bar positions to values (floors) and back (rounded to even).
int fieldXToSaturation(int x);    // H mode
int fieldXToHue(int x);           // S and B modes
int fieldYToBrightness(int y);    // H and S modes
int fieldYToSaturation(int y);    // B mode
int barYToHue(int y);             // H mode
int barYToPercent(int y);         // S and B modes
int saturationToFieldX(double s);  // H mode
int hueToFieldX(double h);         // S and B modes
int brightnessToFieldY(double b);  // H and S modes
int saturationToFieldY(double s);  // B mode
int hueToBarPos(double h);         // entering H mode
float hueToBarPosTyping(double h);  // typing a hue, kept unrounded

// Half-to-even rounding of a coordinate or value to an int, held to the int range.
int roundToInt(double value);

}  // namespace color
