#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reading Standard MIDI Files of format 0 and 1 into the channel messages
// they play, each at its time from the start. Running status, meta and
// system-exclusive events and tempo changes are understood; several tracks
// are merged by time. The reader is bounded: it walks the bytes once, keeps
// at most maxMessages messages and refuses files longer than maxDuration, so
// a corrupt or hostile file costs little and never loops.
namespace StandardMidiFile {

inline constexpr std::size_t maxMessages = 2'000'000;
inline constexpr std::int64_t maxDurationMicroseconds = 24LL * 3600 * 1'000'000;

struct TimedMessage {
    std::int64_t microseconds = 0;
    // Packed as MidiOut takes it: status, then data bytes from bit 8 up.
    std::uint32_t message = 0;
};

struct Contents {
    int format = 0;
    int trackCount = 0;
    // Channel messages of every track in order of time; at the same time,
    // earlier tracks first, and within a track the file's order.
    std::vector<TimedMessage> messages;
};

struct ReadResult {
    bool ok = false;
    std::string error;  // why the file was refused, in words for the user
    Contents contents;
};

ReadResult read(std::string_view file);

}  // namespace StandardMidiFile
