#include "logic/midi/StandardMidiFile.h"

#include <algorithm>

namespace StandardMidiFile {

namespace {
void bigEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void delta(std::string& track, std::int64_t ticks)
{
    // A gap longer than one delta can hold is bridged with empty text events.
    while (ticks > static_cast<std::int64_t>(maxDelta)) {
        track += variableLength(maxDelta);
        track += std::string("\xFF\x01\x00", 3);
        ticks -= maxDelta;
    }
    track += variableLength(static_cast<std::uint32_t>(ticks));
}
}  // namespace

std::string variableLength(std::uint32_t value)
{
    value = std::min(value, maxDelta);
    std::string out(1, static_cast<char>(value & 0x7F));
    while (value >>= 7)
        out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return out;
}

std::string formatZero(std::vector<Event> events)
{
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });

    std::string track;
    track += variableLength(0);
    track += std::string("\xFF\x51\x03", 3);
    bigEndian(track, microsecondsPerQuarter, 3);
    std::int64_t now = 0;
    for (const Event& e : events) {
        const std::int64_t at = std::max<std::int64_t>(e.tick, now);
        delta(track, at - now);
        now = at;
        track.append(e.bytes.begin(), e.bytes.end());
    }
    track += variableLength(0);
    track += std::string("\xFF\x2F\x00", 3);

    std::string file = "MThd";
    bigEndian(file, 6, 4);
    bigEndian(file, 0, 2);  // format 0
    bigEndian(file, 1, 2);  // one track
    bigEndian(file, ticksPerQuarter, 2);
    file += "MTrk";
    bigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file += track;
    return file;
}

}  // namespace StandardMidiFile
