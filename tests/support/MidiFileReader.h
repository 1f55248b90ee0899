#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Reads a Standard MIDI File back, strictly: any byte out of place, or more
// or fewer bytes than the chunks declare, makes it unreadable.
struct MidiFileReader {
    struct Event {
        std::int64_t tick = 0;            // from the start of its track
        std::vector<std::uint8_t> bytes;  // status and data; meta events as FF, type, data
    };

    int format = -1;
    int trackCount = 0;
    int division = 0;
    std::vector<Event> events;  // of every track, in file order
    bool ended = false;         // every track closed by its end-of-track event

    static std::optional<MidiFileReader> read(std::string_view file);

    // The channel messages only (no meta events).
    std::vector<Event> channelMessages() const;
    // The tempo set at the start, in microseconds a quarter note; -1 when none.
    int tempo() const;
};
