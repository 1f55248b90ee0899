#pragma once

#include <optional>
#include <string>

// The instrument-name file: profile text with a "General MIDI" section that
// names each patch under its number.
namespace InstrumentNames {

inline constexpr int listCount = 6;
inline constexpr int patchesPerList = 20;

// The name of patch, empty when the file or its entry is missing.
std::string name(const std::optional<std::string>& fileText, int patch);

// The text of instrument list box k: patches 20k to 20k + 19, each on a new
// line as " 20 - Name".
std::string listText(const std::optional<std::string>& fileText, int box);

}  // namespace InstrumentNames
