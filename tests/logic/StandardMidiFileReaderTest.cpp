// Reading MIDI files as Load does, and the take's own file, journal and replay.
#include "support/ManualClock.h"
#include "logic/midi/StandardMidiFileReader.h"
#include "logic/take/Take.h"
#include "logic/take/TakePlayer.h"

#include <gtest/gtest.h>

namespace {
using StandardMidiFile::read;

std::string track(const std::string& body)
{
    std::string c = "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8)
        c += static_cast<char>((body.size() >> shift) & 0xFF);
    return c + body;
}

std::string header(int format, int tracks, int division)
{
    return std::string("MThd\0\0\0\6", 8) + char(0) + char(format) + char(0) + char(tracks) +
           char((division >> 8) & 0xFF) + char(division & 0xFF);
}

const std::string end("\0\xFF\x2F\0", 4);

std::vector<std::pair<std::int64_t, std::uint32_t>> timed(const StandardMidiFile::ReadResult& r)
{
    std::vector<std::pair<std::int64_t, std::uint32_t>> out;
    for (const auto& m : r.contents.messages)
        out.emplace_back(m.microseconds, m.message);
    return out;
}
}  // namespace

TEST(StandardMidiFileReader, MergesTracksByTimeThroughRunningStatusMetaSysexAndTempoChanges)
{
    // Format 1 at 480 ticks a beat. Track 1: 120 bpm, then 60 bpm from beat 2.
    const std::string tempo = std::string("\0\xFF\x51\x03\x07\xA1\x20", 7) + std::string("\x87\x40\xFF\x51\x03\x0F\x42\x40", 8) + end;
    // Track 2: a patch, a chord in running status, a text event and a
    // system-exclusive message between, the pedal, and notes past the change.
    const std::string notes = std::string("\0\xC0\x13", 3) + std::string("\0\x90\x3C\x64", 4) + std::string("\0\x40\x50", 3) +
                              std::string("\0\xFF\x01\x02hi", 6) + std::string("\0\xF0\x03\x7E\x7F\xF7", 6) +
                              std::string("\x83\x60\xB0\x40\x7F", 5) + std::string("\x83\x60\x80\x3C\x00", 5) +
                              std::string("\x87\x40\x90\x40\x00", 5) + end;
    const auto r = read(header(1, 2, 480) + track(tempo) + track(notes));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.contents.format, 1);
    EXPECT_EQ(r.contents.trackCount, 2);
    // 480 ticks = 0.5 s; the change at tick 960 (1 s) makes the next 960 ticks last 2 s.
    const std::vector<std::pair<std::int64_t, std::uint32_t>> expected = {
        {0, 0x13C0}, {0, 0x643C90}, {0, 0x504090}, {500000, 0x7F40B0}, {1000000, 0x003C80}, {3000000, 0x004090}};
    EXPECT_EQ(timed(r), expected);

    // The same notes in a format 0 file whose tempo event comes after them at the same tick.
    const auto zero = read(header(0, 1, 96) + track(std::string("\0\x90\x3C\x64\0\xFF\x51\x03\x0F\x42\x40\x60\x3C\0", 14) + end));
    ASSERT_TRUE(zero.ok) << zero.error;
    EXPECT_EQ(timed(zero), (std::vector<std::pair<std::int64_t, std::uint32_t>>{{0, 0x643C90}, {1000000, 0x3C90}}));

    // Time code: 25 frames of 40 ticks, so a tick is one millisecond.
    const auto smpte = read(header(0, 1, 0xE728) + track(std::string("\x81\x48\x90\x3C\x64", 5) + end));
    ASSERT_TRUE(smpte.ok) << smpte.error;
    EXPECT_EQ(timed(smpte), (std::vector<std::pair<std::int64_t, std::uint32_t>>{{200000, 0x643C90}}));
}

TEST(StandardMidiFileReader, RefusesWhatIsNotAPlayableMidiFileAndSaysWhy)
{
    const std::string ok = header(0, 1, 480) + track(std::string("\0\x90\x3C\x64", 4) + end);
    ASSERT_TRUE(read(ok).ok);
    const std::pair<std::string, std::string> cases[] = {
        {"", "does not begin with \"MThd\""},
        {"12: 34\r\nS: 7\r\n", "does not begin with \"MThd\""},
        {header(2, 1, 480) + track(end), "format 2"},
        {header(0, 0, 480), "no track"},
        {header(0, 1, 0) + track(end), "division of zero"},
        {ok.substr(0, ok.size() - 3), "ends inside track 1"},
        {header(1, 2, 480) + track(end), "declares 2 tracks but holds 1"},
        {header(0, 1, 480) + track(std::string("\0\x3C\x64", 3) + end), "data byte without a status byte"},
        {header(0, 1, 480) + track(std::string("\0\x90\x3C\x90", 4) + end), "status byte where a data byte"},
        {header(0, 1, 480) + track(std::string("\0\xF8", 2) + end), "system message"},
        {header(0, 1, 480) + track(std::string("\xFF\xFF\xFF\xFF\x7F\x90\x3C\x64", 8) + end), "longer than four bytes"},
        {header(0, 1, 480) + track(std::string("\0\xFF\x51\x03\0\0\0", 7) + end), "tempo of zero"},
        // 2^28 ticks at 1 s a tick, far more than a day.
        {header(0, 1, 1) + track(std::string("\0\xFF\x51\x03\x0F\x42\x40\xFF\xFF\xFF\x7F\x90\x3C\x64", 14) + end),
         "longer than a day"},
    };
    for (const auto& [bytes, reason] : cases) {
        const auto r = read(bytes);
        EXPECT_FALSE(r.ok) << reason;
        EXPECT_NE(r.error.find(reason), std::string::npos) << r.error;
        EXPECT_TRUE(r.contents.messages.empty());
    }
    // A chunk of another kind is skipped, and so is whatever follows the end of a track.
    const auto skipped = read(header(0, 1, 480) + "XTRA" + std::string("\0\0\0\2ab", 6) +
                              track(std::string("\0\x90\x3C\x64", 4) + end + std::string("\0\x90\x40\x64", 4)));
    ASSERT_TRUE(skipped.ok) << skipped.error;
    EXPECT_EQ(skipped.contents.messages.size(), 1u);
}

TEST(Take, KeepsChordsVelocitiesAndPedalToTheMillisecondThroughItsFileAndItsJournal)
{
    ManualClock clock;
    Take take(clock);
    take.add(0x7F3C90);  // not recording: not kept
    take.start();
    using std::chrono::milliseconds;
    using std::chrono::microseconds;
    clock.advance(milliseconds(100));
    take.add(0x7F40B0);  // pedal down
    clock.advance(microseconds(2500));
    take.add(0x503C90);  // a chord within 5 ms, with its own velocities
    clock.advance(milliseconds(3));
    take.add(0x284090);
    clock.advance(milliseconds(1000));
    take.add(0x003C80);
    take.add(0x0040B0);  // pedal up
    const std::string journal = take.takeJournal();
    clock.advance(milliseconds(500));
    take.stop();  // 0x40 still sounds: released at the stop
    const std::vector<TakeEvent> expected = {{100, 0x7F40B0}, {102, 0x503C90}, {105, 0x284090},
                                             {1105, 0x003C80}, {1105, 0x0040B0}, {1605, 0x004080}};
    EXPECT_EQ(take.events(), expected);

    const auto file = take.toMidiFile();
    EXPECT_EQ(Take::fromMidiFile(file), expected);

    // Killed before the stop: the journal handed out holds the take so far,
    // a line cut off by the kill is left out, and the note still held ends
    // at the last time the journal noted.
    EXPECT_EQ(journal.rfind("velorin take 0\n", 0), 0u);
    auto recovered = Take::recover(std::nullopt, journal + "1500\n1700 90");
    std::vector<TakeEvent> cut(expected.begin(), expected.end() - 1);
    cut.push_back({1500, 0x004080});
    EXPECT_EQ(recovered, cut);

    take.takeJournal();  // handed out at the stop

    // A second session goes on after the first; its journal keeps the saved take's six messages.
    take.start();
    clock.advance(milliseconds(40));
    take.add(0x643E90);
    const std::string second = take.takeJournal();
    EXPECT_EQ(second.rfind("velorin take 6\n", 0), 0u);
    recovered = Take::recover(file, second);
    ASSERT_EQ(recovered.size(), 8u);
    EXPECT_EQ(recovered[6], (TakeEvent{1645, 0x643E90}));
    // A take file written at the stop but with the journal still there is not doubled.
    take.stop();
    EXPECT_EQ(Take::recover(take.toMidiFile(), second), take.events());
    EXPECT_TRUE(Take::recover(file, "no journal\n").empty());
}

namespace {
class Heard : public TakePlayerHost {
public:
    explicit Heard(const Clock& clock) : clock_(clock) {}
    void send(std::uint32_t message) override { heard.emplace_back(clock_.now(), message); }
    void takeEnded() override { ++ended; }
    std::vector<std::pair<Clock::Time, std::uint32_t>> heard;
    int ended = 0;

private:
    const Clock& clock_;
};
}  // namespace

TEST(TakePlayer, PlaysEachMessageAtItsTimeFromTheStartAndStopsWithNothingLeftOn)
{
    ManualClock clock;
    Heard host(clock);
    TakePlayer player(host, clock);
    // A long take: every message at its own deadline from the start, however
    // late the steps before it ran.
    std::vector<TakeEvent> take;
    for (std::uint32_t i = 0; i < 1000; ++i)
        take.push_back({i * 307, (i % 2 ? 0x80u : 0x90u) | 0x3C00u | (i % 2 ? 0u : 0x400000u)});
    const Clock::Time start = clock.now();
    ASSERT_TRUE(player.start(take));
    EXPECT_FALSE(player.start(take));
    while (clock.runNext())
        clock.advance(std::chrono::microseconds(700));  // each step a little late
    ASSERT_EQ(host.heard.size(), take.size());
    for (std::size_t i = 0; i < take.size(); ++i) {
        const auto late = host.heard[i].first - (start + std::chrono::milliseconds(take[i].ms));
        EXPECT_TRUE(late >= Clock::Duration::zero() && late < std::chrono::milliseconds(1)) << i;
    }
    EXPECT_EQ(host.ended, 1);

    // Stopped in a chord with the pedal down: the notes and the pedal are released.
    host.heard.clear();
    ASSERT_TRUE(player.start({{0, 0x7F40B0}, {0, 0x643C90}, {0, 0x644090}, {1000, 0x003C80}}));
    clock.advance(std::chrono::milliseconds(10));
    player.stop();
    std::vector<std::uint32_t> messages;
    for (const auto& h : host.heard)
        messages.push_back(h.second);
    EXPECT_EQ(messages, (std::vector<std::uint32_t>{0x7F40B0, 0x643C90, 0x644090, 0x3C80, 0x4080, 0x40B0}));
    EXPECT_FALSE(player.running());
    clock.runAll();
    EXPECT_EQ(host.heard.size(), 6u);
}
