#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writing Standard MIDI Files: format 0, one track, at 120 beats a minute
// with 500 ticks a beat, so that one tick lasts one millisecond.
namespace StandardMidiFile {

inline constexpr int ticksPerQuarter = 500;
inline constexpr int microsecondsPerQuarter = 500000;

// One channel message at a time in ticks (milliseconds) from the start.
struct Event {
    std::int64_t tick = 0;
    std::vector<std::uint8_t> bytes;
};

// The file: header, then one track with the tempo, the events in order of
// time (events at the same tick keep their order) and the end of the track.
std::string formatZero(std::vector<Event> events);

// A delta time as the file stores it, 7 bits a byte, most significant first.
std::string variableLength(std::uint32_t value);

// The largest delta time the format can hold.
inline constexpr std::uint32_t maxDelta = 0x0FFFFFFF;

}  // namespace StandardMidiFile
