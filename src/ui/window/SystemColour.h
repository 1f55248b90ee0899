#pragma once

#include <QColor>

#include <cstdint>
#include <optional>

// Colours as the window designs give them: 0x00BBGGRR, or a system colour
// 0x800000nn whose index nn names a role of the desktop's palette, or -1
// for none.
namespace SystemColour {

inline constexpr std::int32_t none = -1;
inline constexpr std::int32_t systemBit = static_cast<std::int32_t>(0x80000000u);

// The system colour index nn as the desktop currently shows it.
QColor ofIndex(int index);

// 0x00BBGGRR for any colour of the convention; -1 stays -1.
std::int32_t translate(std::int32_t colour);

// A QColor for any colour of the convention (an invalid QColor for -1).
QColor toQColor(std::int32_t colour);

// The colour a stored value shows, or nothing for a value that names no
// colour (above 0xFFFFFF, or an unknown desktop colour), so that whoever
// applies it can keep the old colour.
std::optional<QColor> shown(std::int32_t colour);

}  // namespace SystemColour
