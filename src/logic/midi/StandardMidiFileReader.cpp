#include "logic/midi/StandardMidiFileReader.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace StandardMidiFile {

namespace {

struct Failure {
    std::string reason;
};

// Bytes read front to back; every read is checked against the end.
class Bytes {
public:
    explicit Bytes(std::string_view data) : data_(data) {}

    bool atEnd() const { return pos_ >= data_.size(); }
    std::size_t left() const { return data_.size() - pos_; }

    std::uint8_t byte(const char* where)
    {
        if (atEnd())
            throw Failure{std::string("the file ends inside ") + where};
        return static_cast<std::uint8_t>(data_[pos_++]);
    }
    std::uint32_t bigEndian(int count, const char* where)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | byte(where);
        return value;
    }
    // A variable-length quantity: at most four bytes, seven bits each.
    std::uint32_t variableLength(const char* where)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = byte(where);
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return value;
        }
        throw Failure{std::string("a length or delta time longer than four bytes in ") + where};
    }
    std::string_view take(std::size_t count, const char* where)
    {
        if (count > left())
            throw Failure{std::string("the file ends inside ") + where};
        const std::string_view part = data_.substr(pos_, count);
        pos_ += count;
        return part;
    }
    void skip(std::size_t count, const char* where) { take(count, where); }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

struct TickMessage {
    std::int64_t tick;
    std::uint32_t message;
};

struct TempoChange {
    std::int64_t tick;
    std::uint32_t microsecondsPerQuarter;
};

int dataBytes(std::uint8_t status)
{
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Limit on ticks: no delta exceeds 2^28, and no track holds more than the
// file's bytes in events, so sums stay far inside 64 bits.
void readTrack(std::string_view chunk, int number, std::vector<TickMessage>& out, std::vector<TempoChange>& tempos)
{
    const std::string name = "track " + std::to_string(number);
    const char* where = name.c_str();
    Bytes in(chunk);
    std::int64_t tick = 0;
    std::uint8_t running = 0;
    while (!in.atEnd()) {
        tick += in.variableLength(where);
        std::uint8_t status = in.byte(where);
        std::optional<std::uint8_t> firstData;
        if (status < 0x80) {
            if (running == 0)
                throw Failure{"a data byte without a status byte in " + name};
            firstData = status;
            status = running;
        }
        if (status == 0xFF) {
            const std::uint8_t type = in.byte(where);
            const std::uint32_t length = in.variableLength(where);
            const std::string_view data = in.take(length, where);
            if (type == 0x2F)
                return;  // end of track: whatever follows is not played
            if (type == 0x51) {
                if (length != 3)
                    throw Failure{"a tempo change that is not three bytes long in " + name};
                const std::uint32_t tempo = (static_cast<std::uint8_t>(data[0]) << 16) |
                                            (static_cast<std::uint8_t>(data[1]) << 8) |
                                            static_cast<std::uint8_t>(data[2]);
                if (tempo == 0)
                    throw Failure{"a tempo of zero in " + name};
                if (out.size() + tempos.size() >= maxMessages)
                    throw Failure{"more than " + std::to_string(maxMessages) + " events"};
                tempos.push_back({tick, tempo});
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            in.skip(in.variableLength(where), where);
            continue;
        }
        if (status > 0xF0)
            throw Failure{"a system message that a file cannot hold in " + name};
        std::uint32_t message = status;
        for (int i = 0; i < dataBytes(status); ++i) {
            const std::uint8_t d = (i == 0 && firstData) ? *firstData : in.byte(where);
            if (d >= 0x80)
                throw Failure{"a status byte where a data byte belongs in " + name};
            message |= static_cast<std::uint32_t>(d) << (8 * (i + 1));
        }
        running = status;
        if (out.size() + tempos.size() >= maxMessages)
            throw Failure{"more than " + std::to_string(maxMessages) + " events"};
        out.push_back({tick, message});
    }
}

// Ticks to microseconds along the tempo map (metrical time), or at a fixed
// rate of frames and ticks a frame (time code).
class TimeMap {
public:
    TimeMap(std::uint16_t division, std::vector<TempoChange> tempos) : division_(division)
    {
        std::stable_sort(tempos.begin(), tempos.end(),
                         [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        // Each segment: from its tick on, at its tempo, starting at its time.
        segments_.push_back({0, 500000, 0});
        for (const TempoChange& t : tempos) {
            Segment& last = segments_.back();
            if (t.tick == last.tick)
                last.tempo = t.microsecondsPerQuarter;  // the later change at one tick wins
            else
                segments_.push_back({t.tick, t.microsecondsPerQuarter, last.microseconds + span(t.tick - last.tick, last.tempo)});
        }
    }

    std::int64_t microseconds(std::int64_t tick)
    {
        if (division_ & 0x8000) {
            const int frames = -static_cast<std::int8_t>(division_ >> 8);
            const int perFrame = division_ & 0xFF;
            // 29 stands for 29.97 frames a second (drop frame).
            const double ticksPerSecond = (frames == 29 ? 29.97 : frames) * perFrame;
            return clamp(static_cast<double>(tick) * 1e6 / ticksPerSecond);
        }
        while (next_ + 1 < segments_.size() && segments_[next_ + 1].tick <= tick)
            ++next_;
        while (next_ > 0 && segments_[next_].tick > tick)
            --next_;
        const Segment& s = segments_[next_];
        return clamp(s.microseconds + span(tick - s.tick, s.tempo));
    }

private:
    struct Segment {
        std::int64_t tick;
        std::uint32_t tempo;
        std::int64_t microseconds;
    };

    // In doubles: ticks times tempo can pass 64 bits, and 53 bits of
    // precision are far finer than a microsecond over a day.
    std::int64_t span(std::int64_t ticks, std::uint32_t tempo) const
    {
        return clamp(static_cast<double>(ticks) * tempo / division_);
    }
    static std::int64_t clamp(double value)
    {
        const double limit = static_cast<double>(maxDurationMicroseconds) * 4;
        return static_cast<std::int64_t>(std::llround(std::min(value, limit)));
    }

    std::uint16_t division_;
    std::vector<Segment> segments_;
    std::size_t next_ = 0;
};

Contents readFile(std::string_view file)
{
    Bytes in(file);
    if (file.size() < 4 || file.substr(0, 4) != "MThd")
        throw Failure{"it is not a Standard MIDI File: it does not begin with \"MThd\""};
    in.skip(4, "the header");
    const std::uint32_t headerLength = in.bigEndian(4, "the header");
    if (headerLength < 6)
        throw Failure{"its header is too short"};
    const std::string_view header = in.take(headerLength, "the header");
    Bytes h(header);
    Contents contents;
    contents.format = static_cast<int>(h.bigEndian(2, "the header"));
    const std::uint32_t declared = h.bigEndian(2, "the header");
    const auto division = static_cast<std::uint16_t>(h.bigEndian(2, "the header"));
    if (contents.format == 2)
        throw Failure{"it is a MIDI file of format 2, independent patterns that do not play as one piece"};
    if (contents.format != 0 && contents.format != 1)
        throw Failure{"it is a MIDI file of an unknown format " + std::to_string(contents.format)};
    if (declared == 0)
        throw Failure{"its header declares no track"};
    if ((division & 0x7FFF) == 0 || ((division & 0x8000) && (division & 0xFF) == 0))
        throw Failure{"its header gives a time division of zero"};
    if (division & 0x8000) {
        const int frames = -static_cast<std::int8_t>(division >> 8);
        if (frames != 24 && frames != 25 && frames != 29 && frames != 30)
            throw Failure{"its header gives an unknown frame rate"};
    }

    std::vector<TickMessage> ticks;
    std::vector<TempoChange> tempos;
    int tracks = 0;
    while (tracks < static_cast<int>(declared)) {
        if (in.atEnd())
            throw Failure{"it declares " + std::to_string(declared) + " tracks but holds " + std::to_string(tracks)};
        const std::string_view type = in.take(4, "a chunk header");
        const std::uint32_t length = in.bigEndian(4, "a chunk header");
        const std::string name = "track " + std::to_string(tracks + 1);
        if (length > in.left())
            throw Failure{"the file ends inside " + (type == "MTrk" ? name : std::string("a chunk"))};
        const std::string_view chunk = in.take(length, "a chunk");
        if (type != "MTrk")
            continue;  // chunks of other kinds are skipped, as the format asks
        ++tracks;
        readTrack(chunk, tracks, ticks, tempos);
    }
    contents.trackCount = tracks;

    // Tracks were appended one after another: a stable sort by tick merges
    // them, earlier tracks first at equal times.
    std::stable_sort(ticks.begin(), ticks.end(), [](const TickMessage& a, const TickMessage& b) { return a.tick < b.tick; });
    TimeMap time(division, std::move(tempos));
    contents.messages.reserve(ticks.size());
    for (const TickMessage& m : ticks) {
        const std::int64_t us = time.microseconds(m.tick);
        if (us > maxDurationMicroseconds)
            throw Failure{"it lasts longer than a day"};
        contents.messages.push_back({us, m.message});
    }
    return contents;
}

}  // namespace

ReadResult read(std::string_view file)
{
    ReadResult result;
    try {
        result.contents = readFile(file);
        result.ok = true;
    } catch (const Failure& f) {
        result.error = f.reason;
    }
    return result;
}

}  // namespace StandardMidiFile
