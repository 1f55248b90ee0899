#pragma once

#include <cstdint>

// A packed colour value: red + 256 x green + 65536 x blue.
constexpr std::int32_t rgb(int red, int green, int blue)
{
    return red + 256 * green + 65536 * blue;
}

constexpr int redOf(std::int32_t packed) { return packed & 0xFF; }
constexpr int greenOf(std::int32_t packed) { return (packed >> 8) & 0xFF; }
constexpr int blueOf(std::int32_t packed) { return (packed >> 16) & 0xFF; }
