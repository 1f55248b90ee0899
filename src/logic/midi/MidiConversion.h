#pragma once

#include "logic/settings/SettingsFile.h"
#include "logic/midi/StandardMidiFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Turns a recording (the event log) into the notes replay would play, timed
// as replay waits them, and into a Standard MIDI File.
namespace MidiConversion {

// The last patch as the settings store keeps it: a number 0..127, else 0.
int patchFromStore(std::string_view stored);

// The program change, then a note-on and note-off pair for each note line
// of an on-screen key, on the settings' channel with the note baseNote +
// index. Rest lines, lines of no key (-1) and lines replay cannot read pass
// as the silence replay gives them. Nothing when the channel is not 0..15.
std::optional<std::vector<StandardMidiFile::Event>> events(std::string_view log,
                                                            const SettingsFile::KeyboardSettings& settings,
                                                            int patch);

}  // namespace MidiConversion
