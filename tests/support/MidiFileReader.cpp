#include "support/MidiFileReader.h"

namespace {
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    bool atEnd() const { return pos_ >= bytes_.size(); }
    std::size_t position() const { return pos_; }
    std::optional<std::uint32_t> fixed(int count)
    {
        if (pos_ + static_cast<std::size_t>(count) > bytes_.size())
            return std::nullopt;
        std::uint32_t v = 0;
        for (int i = 0; i < count; ++i)
            v = v << 8 | static_cast<std::uint8_t>(bytes_[pos_++]);
        return v;
    }
    std::optional<std::uint32_t> variable()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const auto b = fixed(1);
            if (!b)
                return std::nullopt;
            v = v << 7 | (*b & 0x7F);
            if (!(*b & 0x80))
                return v;
        }
        return std::nullopt;  // more than four bytes
    }
    std::optional<std::string_view> take(std::size_t count)
    {
        if (pos_ + count > bytes_.size())
            return std::nullopt;
        const auto s = bytes_.substr(pos_, count);
        pos_ += count;
        return s;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

bool readTrack(std::string_view track, std::vector<MidiFileReader::Event>& out)
{
    Cursor c(track);
    std::int64_t tick = 0;
    int running = -1;
    while (!c.atEnd()) {
        const auto delta = c.variable();
        const auto first = c.fixed(1);
        if (!delta || !first)
            return false;
        tick += *delta;
        MidiFileReader::Event e{tick, {}};
        std::uint32_t status = *first;
        if (status == 0xFF) {
            const auto type = c.fixed(1);
            const auto length = c.variable();
            const auto data = length ? c.take(*length) : std::nullopt;
            if (!type || !data)
                return false;
            e.bytes = {0xFF, static_cast<std::uint8_t>(*type)};
            e.bytes.insert(e.bytes.end(), data->begin(), data->end());
            out.push_back(e);
            if (*type == 0x2F)
                return c.atEnd();  // nothing may follow the end of the track
            continue;
        }
        if (status < 0x80) {
            if (running < 0)
                return false;
            status = static_cast<std::uint32_t>(running);
            e.bytes.push_back(static_cast<std::uint8_t>(status));
            e.bytes.push_back(static_cast<std::uint8_t>(*first));
        } else if (status >= 0xF0) {
            return false;  // not written by Velorin
        } else {
            running = static_cast<int>(status);
            e.bytes.push_back(static_cast<std::uint8_t>(status));
            const auto d = c.fixed(1);
            if (!d || *d > 0x7F)
                return false;
            e.bytes.push_back(static_cast<std::uint8_t>(*d));
        }
        const bool twoDataBytes = (status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0;
        if (twoDataBytes) {
            const auto d = c.fixed(1);
            if (!d || *d > 0x7F)
                return false;
            e.bytes.push_back(static_cast<std::uint8_t>(*d));
        }
        out.push_back(e);
    }
    return false;  // no end of track
}
}  // namespace

std::optional<MidiFileReader> MidiFileReader::read(std::string_view file)
{
    Cursor c(file);
    MidiFileReader r;
    const auto tag = c.take(4);
    const auto length = c.fixed(4);
    const auto format = c.fixed(2);
    const auto tracks = c.fixed(2);
    const auto division = c.fixed(2);
    if (!tag || *tag != "MThd" || length != 6u || !format || !tracks || !division)
        return std::nullopt;
    r.format = static_cast<int>(*format);
    r.trackCount = static_cast<int>(*tracks);
    r.division = static_cast<int>(*division);
    r.ended = true;
    for (int t = 0; t < r.trackCount; ++t) {
        const auto chunk = c.take(4);
        const auto size = c.fixed(4);
        const auto body = size ? c.take(*size) : std::nullopt;
        if (!chunk || *chunk != "MTrk" || !body || !readTrack(*body, r.events))
            return std::nullopt;
    }
    if (!c.atEnd())
        return std::nullopt;
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
