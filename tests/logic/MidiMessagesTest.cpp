#include "logic/midi/MidiMessages.h"
#include "logic/midi/MidiSender.h"
#include "support/RecordingMidiOut.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
struct Sender : testing::Test {
    RecordingMidiOut out;
    MidiSender sender{out};
    void SetUp() override { ASSERT_TRUE(sender.OpenMidiDevice(0)); }
};
}  // namespace

TEST_F(Sender, OpeningDeviceZeroOpensTheDefaultOutput)
{
    EXPECT_EQ(sender.midiDeviceId, -1);
    EXPECT_EQ(out.lastDeviceId(), -1);
    EXPECT_EQ(sender.midiResult, 0);
}

TEST_F(Sender, NotesOnChannelZeroAndThree)
{
    sender.sendNoteOn(60);
    sender.sendNoteOff(60, 6);
    sender.midiChannel = 3;
    sender.sendNoteOn(60);
    sender.sendNoteOff(60, 6);
    EXPECT_EQ(out.messages(), (std::vector<std::uint32_t>{0x7F3C90, 0x3C80, 0x7F3C93, 0x3C83}));
    EXPECT_EQ(sender.lastMidiMessage, 0x3C83u);
}

TEST_F(Sender, PatchesZeroToFiveEndNotesWithStatus8C)
{
    for (int patch : {0, 5, 6, 127})
        sender.sendNoteOff(60, patch);
    sender.midiChannel = 3;
    sender.sendNoteOff(60, 0);
    EXPECT_EQ(out.messages(), (std::vector<std::uint32_t>{0x3C8C, 0x3C8C, 0x3C80, 0x3C80, 0x3C8F}));
}

TEST_F(Sender, ProgramChangeGoesToTheChannelNotesArePlayedOn)
{
    sender.sendProgramChange(40);
    sender.midiChannel = 3;
    sender.sendProgramChange(40);
    EXPECT_EQ(out.messages(), (std::vector<std::uint32_t>{0x28C0, 0x28C3}));
}

TEST_F(Sender, NotesAndChannelsOutOfRangeNeverReachTheDevice)
{
    sender.sendNoteOn(128);
    sender.sendNoteOn(-1);
    sender.sendNoteOff(200, 6);
    sender.midiChannel = 16;
    sender.sendNoteOn(60);
    sender.sendProgramChange(1);
    sender.midiChannel = -1;
    sender.sendNoteOff(60, 6);
    EXPECT_TRUE(out.messages().empty());
    sender.midiChannel = 15;
    sender.sendNoteOn(127);
    sender.sendNoteOn(0);
    EXPECT_EQ(out.messages(), (std::vector<std::uint32_t>{0x7F7F9F, 0x7F009F}));
}

TEST(MidiSender, AFailedOpenLeavesEverySendLost)
{
    RecordingMidiOut out(68);
    MidiSender sender(out);
    EXPECT_FALSE(sender.OpenMidiDevice(0));
    EXPECT_EQ(sender.midiResult, 68);
    sender.sendNoteOn(60);
    EXPECT_TRUE(out.messages().empty());
}

TEST(MidiMessages, BytesAPortCarries)
{
    EXPECT_EQ(MidiMessages::byteCount(0x7F3C90), 3);
    EXPECT_EQ(MidiMessages::byteCount(0x28C0), 2);
    EXPECT_EQ(MidiMessages::byteCount(0x3C8C), 3);
    EXPECT_EQ(MidiMessages::byteCount(0xF8), 1);
}
