#include "support/MidiFileReader.h"

#include <string>

namespace {
// Reads big-endian numbers and delta times off the front of the bytes.
struct Cursor {
    std::string_view rest;
    bool ok = true;

    std::uint32_t fixed(int count)
    {
        std::uint32_t v = 0;
        for (int i = 0; i < count; ++i)
            v = v << 8 | byte();
        return v;
    }
    std::uint32_t variable()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = byte();
            v = v << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return v;
        }
        ok = false;  // more than four bytes
        return 0;
    }
    std::uint8_t byte()
    {
        if (rest.empty()) {
            ok = false;
            return 0;
        }
        const auto b = static_cast<std::uint8_t>(rest.front());
        rest.remove_prefix(1);
        return b;
    }
    std::string_view take(std::size_t count)
    {
        if (count > rest.size()) {
            ok = false;
            count = rest.size();
        }
        const auto s = rest.substr(0, count);
        rest.remove_prefix(count);
        return s;
    }
};

// Channel messages with their data bytes, meta events; nothing else (no running status).
bool readTrack(std::string_view track, std::vector<MidiFileReader::Event>& out)
{
    Cursor c{track};
    std::int64_t tick = 0;
    while (c.ok && !c.rest.empty()) {
        tick += c.variable();
        MidiFileReader::Event e{tick, {c.byte()}};
        const std::uint8_t status = e.bytes.front();
        if (status == 0xFF) {
            e.bytes.push_back(c.byte());
            const auto data = c.take(c.variable());
            e.bytes.insert(e.bytes.end(), data.begin(), data.end());
            out.push_back(e);
            if (e.bytes[1] == 0x2F)
                return c.ok && c.rest.empty();  // nothing may follow the end of the track
            continue;
        }
        if (status < 0x80 || status >= 0xF0)
            return false;
        const int dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        for (int i = 0; i < dataBytes; ++i)
            e.bytes.push_back(c.byte());
        for (std::size_t i = 1; i < e.bytes.size(); ++i)
            if (e.bytes[i] > 0x7F)
                return false;
        out.push_back(e);
    }
    return false;  // no end of track
}
}  // namespace

std::optional<MidiFileReader> MidiFileReader::read(std::string_view file)
{
    Cursor c{file};
    MidiFileReader r;
    if (c.take(4) != "MThd" || c.fixed(4) != 6)
        return std::nullopt;
    r.format = static_cast<int>(c.fixed(2));
    r.trackCount = static_cast<int>(c.fixed(2));
    r.division = static_cast<int>(c.fixed(2));
    for (int t = 0; t < r.trackCount && c.ok; ++t) {
        if (c.take(4) != "MTrk")
            return std::nullopt;
        const auto body = c.take(c.fixed(4));
        if (!c.ok || !readTrack(body, r.events))
            return std::nullopt;
    }
    if (!c.ok || !c.rest.empty())
        return std::nullopt;
    r.ended = true;
    return r;
}

std::vector<MidiFileReader::Event> MidiFileReader::channelMessages() const
{
    std::vector<Event> out;
    for (const Event& e : events)
        if (e.bytes.front() != 0xFF)
            out.push_back(e);
    return out;
}

int MidiFileReader::tempo() const
{
    for (const Event& e : events)
        if (e.bytes.size() == 5 && e.bytes[0] == 0xFF && e.bytes[1] == 0x51)
            return e.bytes[2] << 16 | e.bytes[3] << 8 | e.bytes[4];
    return -1;
}
