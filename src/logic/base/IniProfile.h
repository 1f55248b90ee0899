#pragma once

#include <string>
#include <string_view>

// Reads one value from profile (INI) text with the rules of the classic
// profile API: sections and keys match case-insensitively with surrounding
// blanks ignored, the first match wins, values are trimmed and cut at
// maxValueLength characters, and anything missing gives an empty text.
namespace IniProfile {

inline constexpr std::size_t maxValueLength = 255;

std::string value(std::string_view text, std::string_view section, std::string_view key);

}  // namespace IniProfile
