#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>
#include <optional>

// The colour a packed value shows on screen. An ordinary value is its own
// colour; a desktop colour reference (top bit set plus an index) takes the
// matching colour of the palette. Nothing for a value that names no colour,
// so that whoever applies it can leave the old colour in place.
std::optional<QColor> screenColour(std::int32_t packed, const QPalette& palette);
// The same with the application's palette.
std::optional<QColor> screenColour(std::int32_t packed);
