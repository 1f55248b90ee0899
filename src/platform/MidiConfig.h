#pragma once

#include <string>
#include <vector>

class SettingsStore;

// Where the default MIDI output goes and how the built-in synthesizer runs,
// from groups "midi" and "synth" of the settings store.
struct MidiConfig {
    std::string output;       // empty: the built-in synthesizer; else a MIDI port name
    std::string input;        // empty: no MIDI input; else the name of a MIDI source port
    std::string soundFont;    // empty: the first General MIDI SoundFont found
    std::string audioDriver;  // empty: the synthesizer's default, then any that opens
    std::string audioFile;    // what the "file" driver writes
    int periodSize = 64;      // frames per audio period
    int periods = 4;          // periods of buffering; 64 x 4 = 256 frames in all

    static MidiConfig read(const SettingsStore& store);

    // Debian's General MIDI SoundFonts, in the order they are tried.
    static std::vector<std::string> defaultSoundFonts();
};
