#include "logic/midi/MidiConversion.h"
#include "support/MidiFileReader.h"

#include <gtest/gtest.h>

namespace {
using Bytes = std::vector<std::uint8_t>;

SettingsFile::KeyboardSettings settings(int channel, int baseNote, const char* times, int tempo)
{
    SettingsFile::KeyboardSettings s;
    s.midiChannel = static_cast<std::int16_t>(channel);
    s.baseNote = static_cast<std::int16_t>(baseNote);
    s.times = times;
    s.tempo = static_cast<std::int16_t>(tempo);
    return s;
}

MidiFileReader convertAndReadBack(std::string_view log, const SettingsFile::KeyboardSettings& s, int patch)
{
    const auto events = MidiConversion::events(log, s, patch);
    EXPECT_TRUE(events.has_value());
    const auto file = MidiFileReader::read(StandardMidiFile::formatZero(events.value_or(decltype(*events){})));
    EXPECT_TRUE(file.has_value());
    return file.value_or(MidiFileReader{});
}
}  // namespace

TEST(StandardMidiFile, DeltaTimesUseTheFormatsVariableLength)
{
    using StandardMidiFile::variableLength;
    EXPECT_EQ(variableLength(0), std::string(1, '\0'));
    EXPECT_EQ(variableLength(0x7F), "\x7F");
    EXPECT_EQ(variableLength(0x80), std::string("\x81\x00", 2));
    EXPECT_EQ(variableLength(0x3FFF), "\xFF\x7F");
    EXPECT_EQ(variableLength(0x4000), std::string("\x81\x80\x00", 3));
    EXPECT_EQ(variableLength(0x0FFFFFFF), "\xFF\xFF\xFF\x7F");
}

TEST(MidiConversion, NotesRestsAndUnplayableLinesComeOutTimedAsReplayPlaysThem)
{
    // Channel 3, lowest key 48, each count 10 ms x 2, plus 5 ms a step.
    const std::string log = "0: 10\r\n"       // C3 held 205 ms
                            "S: 4\r\n"        // 85 ms of silence
                            "-1: 3\r\n"       // no key: 65 ms of silence
                            "junk line\r\n"   // no count: no time
                            "what: 2\r\n"     // not a key: 45 ms of silence
                            "\r\n"            // nothing
                            "40: 1.5\n"       // top E, 35 ms
                            "41: 2\r"         // beyond the keyboard: 45 ms of silence
                            "12: 1";          // last line without an end
    const MidiFileReader midi = convertAndReadBack(log, settings(3, 48, "2", 5), 19);

    EXPECT_EQ(midi.format, 0);
    EXPECT_EQ(midi.trackCount, 1);
    EXPECT_EQ(midi.division, 500);
    EXPECT_EQ(midi.tempo(), 500000);  // with 500 ticks a beat: a tick is a millisecond
    EXPECT_TRUE(midi.ended);

    const auto m = midi.channelMessages();
    ASSERT_EQ(m.size(), 7u);
    EXPECT_EQ(m[0].tick, 0);
    EXPECT_EQ(m[0].bytes, (Bytes{0xC3, 19}));
    EXPECT_EQ(m[1].tick, 0);
    EXPECT_EQ(m[1].bytes, (Bytes{0x93, 48, 127}));
    EXPECT_EQ(m[2].tick, 205);
    EXPECT_EQ(m[2].bytes, (Bytes{0x83, 48, 0}));
    const std::int64_t topE = 205 + 85 + 65 + 45;
    EXPECT_EQ(m[3].tick, topE);
    EXPECT_EQ(m[3].bytes, (Bytes{0x93, 88, 127}));
    EXPECT_EQ(m[4].tick, topE + 35);
    EXPECT_EQ(m[4].bytes, (Bytes{0x83, 88, 0}));
    const std::int64_t c4 = topE + 35 + 45;
    EXPECT_EQ(m[5].bytes, (Bytes{0x93, 60, 127}));
    EXPECT_EQ(m[5].tick, c4);
    EXPECT_EQ(m[6].bytes, (Bytes{0x83, 60, 0}));
    EXPECT_EQ(m[6].tick, c4 + 25);
}

TEST(MidiConversion, SettingsReplayCannotPlayGiveSilenceOrNoFile)
{
    // Without a multiplier replay does not wait: every note is over at once.
    const auto instant = convertAndReadBack("3: 10\r\nS: 50\r\n5: 10\r\n", settings(0, 60, "", 0), 0).channelMessages();
    ASSERT_EQ(instant.size(), 5u);
    for (const auto& e : instant)
        EXPECT_EQ(e.tick, 0);
    EXPECT_EQ(instant[3].bytes, (Bytes{0x90, 65, 127}));
    EXPECT_EQ(instant[4].bytes, (Bytes{0x80, 65, 0}));

    // Notes above 127 are not played; the time still passes.
    const auto high = convertAndReadBack("0: 1\r\n1: 1\r\n", settings(0, 127, "1", 0), 0).channelMessages();
    ASSERT_EQ(high.size(), 3u);
    EXPECT_EQ(high[1].bytes[1], 127);

    EXPECT_FALSE(MidiConversion::events("0: 1\r\n", settings(16, 60, "1", 0), 0));
    EXPECT_FALSE(MidiConversion::events("0: 1\r\n", settings(-1, 60, "1", 0), 0));
}

TEST(MidiConversion, AnyLengthOfSilenceKeepsItsTime)
{
    // 30,000,000 counts: 300,000,000 ms, more than one delta time can hold.
    const auto m = convertAndReadBack("S: 30000000\r\n0: 1\r\n", settings(0, 60, "1", 0), 0).channelMessages();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[1].tick, 300000000);
    EXPECT_EQ(m[2].tick, 300000010);
}

TEST(MidiConversion, TheLastPatchIsANumberFrom0To127)
{
    EXPECT_EQ(MidiConversion::patchFromStore("12"), 12);
    EXPECT_EQ(MidiConversion::patchFromStore(" 127 "), 127);
    for (const char* other : {"", "128", "-1", "x", "5x"})
        EXPECT_EQ(MidiConversion::patchFromStore(other), 0) << other;
}
