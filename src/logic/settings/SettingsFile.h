#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class Files;
struct AppPaths;

// The six-line keyboard settings file (instruments.ini in the midi folder):
// channel, base note, duration multiplier, tempo bar minimum, maximum and default.
namespace SettingsFile {

inline constexpr std::size_t lineCount = 6;
using Lines = std::array<std::optional<std::string>, lineCount>;

// The first six lines of the file; a line the file does not have is empty.
Lines parse(std::string_view text);

// Six values, one per line, each ended by CR LF.
std::string serialize(const std::array<std::string, lineCount>& values);

// What start-up takes from the file. Without a file: channel 0, base note 59,
// empty multiplier, tempo bar 0..0 at 0 and tempo 0. A number that does not
// fit 16 bits leaves its value as it was.
struct KeyboardSettings {
    std::int16_t midiChannel = 0;
    std::int16_t baseNote = 59;
    std::string times;
    std::int16_t delayMin = 0;
    std::int16_t delayMax = 0;
    std::int16_t delayValue = 0;
    std::int16_t tempo = 0;
};

KeyboardSettings keyboardSettings(const std::optional<std::string>& fileText);

// A first start gets the keyboard settings its installation ships (base
// note 60, as the key captions read); a file the user has is never touched.
void installShipped(Files& files, const AppPaths& paths);

}  // namespace SettingsFile
