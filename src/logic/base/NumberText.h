#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The two number rules every caption, log line and file of Velorin follows.
namespace NumberText {

// One leading blank for a non-negative number, a minus sign otherwise, and no
// decimal point for an integral value: 12 -> " 12", -1 -> "-1", 0.5 -> " .5".
std::string toText(double value);

// Skips leading blanks and reads the longest leading decimal number
// (sign, digits, optional fraction); 0 when there is none.
double fromText(std::string_view text);

// The value of text that is a number and nothing else: optional blanks and
// sign, digits, optional decimal point and fraction, optional blanks.
// Nothing for any other text, the empty text included.
std::optional<double> strictNumber(std::string_view text);

// Round to nearest, ties to the even neighbour.
double roundHalfEven(double value);

// fromText, rounded, when it fits the type; nothing when it does not.
std::optional<std::int16_t> toInt16(double value);
std::optional<std::int32_t> toInt32(double value);

// A 16-bit step that stays at the type's limits instead of wrapping.
std::int16_t saturatingAdd(std::int16_t value, int delta);

}  // namespace NumberText
