#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The skin file (background and layer colour) and the user colour file (225
// packed colours), one number a line as " 255 " with CR LF.
namespace ColourFiles {

struct Skin {
    std::string backgroundText;  // line 1 as read
    // Nothing where a line's number does not fit a packed colour's 32 bits.
    std::optional<std::int32_t> background;
    std::optional<std::int32_t> layer;
};

// A missing second line reads as 0, as does a line that is not a number.
Skin parseSkin(const std::string& text);
std::string serializeSkin(std::int32_t background, std::int32_t layer);

// Entry 0 belongs to no cell; entries 1..224 are the palette cells.
using UserColours = std::array<std::int32_t, 225>;

// Missing: all 0. Short: every entry after the last line repeats the last
// line's value. A line that is not a number, or too large, gives 0.
UserColours parseUserColours(const std::optional<std::string>& text);
std::string serializeUserColours(const UserColours& colours);

}  // namespace ColourFiles
