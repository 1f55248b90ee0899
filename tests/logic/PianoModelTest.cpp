// What is held on the piano, driven through every road a note comes in by:
// computer keys (through the repeat filter), the mouse, a MIDI keyboard (its
// messages), replay, the play server and the take, with the base note, the
// patch, the connection and the keyboard's focus changing in between.
#include "logic/keyboard/KeyMap.h"
#include "logic/keyboard/KeyRepeatFilter.h"
#include "logic/midi/MidiKeyboard.h"
#include "logic/keyboard/NoteInput.h"
#include "logic/keyboard/PianoModel.h"
#include "logic/keyboard/VirtualKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {
// The output as a synthesizer and a screen see it: which notes sound, which
// keys show pressed, and every fault a listener would notice.
class Listener : public PianoOutput {
public:
    void noteOn(int note, int velocity) override
    {
        events.push_back("on " + std::to_string(note) + " " + std::to_string(velocity));
        if (!sounding.insert(note).second)
            faults.push_back("note-on of " + std::to_string(note) + ", which sounds already");
        ++ons;
    }
    void noteOff(int note, int offPatch) override
    {
        events.push_back("off " + std::to_string(note) + (offPatch >= 0 && offPatch <= 5 ? " ring" : ""));
        sounding.erase(note);
    }
    void showKey(int key, bool pressed, bool struck) override
    {
        if (pressed)
            lit.insert(key);
        else
            lit.erase(key);
        if (struck)
            focus = key;
    }

    std::set<int> sounding;
    std::set<int> lit;
    int focus = -1;
    int ons = 0;
    std::vector<std::string> events;
    std::vector<std::string> faults;
};

class Window : public NoteInputHost {
public:
    std::int16_t readBaseNote() const override { return baseNote; }
    void writeBaseNote(std::int16_t note) override { baseNote = note; }
    void setCaption(const std::string&) override {}
    int patch() const override { return patchValue; }
    void setPatch(int p) override { patchValue = p; }
    int noteVelocity() const override { return 127; }
    bool chatInputActive() const override { return false; }
    void focusChatInput() override {}
    bool isConnected() const override { return connected; }
    void sendKeyIndex(int index) override { sent.push_back(index); }
    bool isRecording() const override { return recording; }
    void pressHook(int index) override { hooks.push_back("press " + std::to_string(index)); }
    void releaseHook(int index) override { hooks.push_back("release " + std::to_string(index)); }

    std::int16_t baseNote = 60;
    int patchValue = 6;
    bool connected = false;
    bool recording = false;
    std::vector<int> sent;
    std::vector<std::string> hooks;
};

// The MIDI keyboard's messages reach the road as the window wires them.
class MidiWiring : public MidiKeyboardHost {
public:
    MidiWiring(NoteInput& input, PianoModel& piano) : input_(input), piano_(piano) {}
    void noteOn(int channel, int note, int velocity) override { input_.midiNoteOn(channel, note, velocity); }
    void noteOff(int channel, int note) override { input_.midiNoteOff(channel, note); }
    void allNotesOff() override { piano_.releaseAll(); }
    void passOn(std::uint32_t message) override { passed.push_back(message); }
    void setPatch(int) override {}
    std::vector<std::uint32_t> passed;

private:
    NoteInput& input_;
    PianoModel& piano_;
};

struct Road {
    Listener out;
    Window window;
    PianoModel piano{out};
    NoteInput input{window, piano};
    KeyRepeatFilter repeats{[this](int code) { input.keyDown(code); }, [this](int code) { input.keyUp(code); }};
    MidiWiring wiring{input, piano};
    MidiKeyboard keyboard{wiring};

    void midi(int status, int data1, int data2)
    {
        keyboard.receive(static_cast<std::uint32_t>(status | data1 << 8 | data2 << 16));
    }
    // What a listener would notice now: the screen and the sound against what is held.
    std::string fault() const
    {
        if (!out.faults.empty())
            return out.faults.front();
        for (int k = 0; k < PianoModel::keyCount; ++k) {
            const bool held = std::any_of(piano.holds().begin(), piano.holds().end(),
                                          [&](const PianoModel::Hold& h) { return h.shown && h.key == k; });
            if (out.lit.count(k) != (held ? 1u : 0u) || piano.lit(k) != held)
                return "key " + std::to_string(k) + " shows " + (out.lit.count(k) ? "pressed" : "released");
        }
        for (const auto& h : piano.holds())
            if (h.note && !out.sounding.count(*h.note))
                return "note " + std::to_string(*h.note) + " is held but silent";
        for (int n : out.sounding)
            if (!piano.sounds(n))
                return "note " + std::to_string(n) + " sounds with nothing holding it";
        return {};
    }
};

constexpr int keyCodes[] = {'Z', 'S', 'X', 'D', 'C', 'V', 'Q', '2', 'W', Vk::Delete, '1', Vk::Up};
}  // namespace

// Random playing from every source at once, then every source lets go of
// what it holds: nothing may sound or show pressed afterwards, and at no
// moment may the screen, the sound and what is held disagree.
TEST(PianoModel, WhateverIsPlayedAndFromWhereNothingStaysLitOrSoundingOnceAllIsReleased)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        Road road;
        std::mt19937 random(seed);
        const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        std::ostringstream story;

        std::set<std::uint32_t> keysDown;             // physical keys down
        std::set<int> mouseDown;                      // keys under a mouse button
        std::map<std::pair<int, int>, int> midiOn;    // (channel, note) -> note-ons not yet ended
        std::set<int> replaying;                      // replay indices on
        std::set<int> taking;                         // the take's notes on
        std::uint64_t time = 1;

        for (int step = 0; step < 400; ++step) {
            ++time;
            const int what = pick(16);
            if (what <= 2) {
                const int code = keyCodes[pick(static_cast<int>(std::size(keyCodes)))];
                const auto key = static_cast<std::uint32_t>(code);
                const KeyRepeatFilter::Stroke stroke{key, time, false, code};
                if (keysDown.count(key) && pick(3) == 0) {
                    // X's auto-repeat while the key is held.
                    road.repeats.press(KeyRepeatFilter::Stroke{key, time, pick(2) == 0, code});
                    story << "repeat " << code << "; ";
                } else if (keysDown.count(key)) {
                    road.repeats.release(stroke);
                    keysDown.erase(key);
                    story << "up " << code << "; ";
                } else {
                    road.repeats.press(stroke);
                    keysDown.insert(key);
                    story << "down " << code << "; ";
                }
            } else if (what == 3) {
                const int index = pick(KeyMap::keyCount);
                if (mouseDown.erase(index)) {
                    road.input.mouseUp(index);
                    story << "mouse up " << index << "; ";
                } else {
                    mouseDown.insert(index);
                    road.input.mouseDown(index);
                    story << "mouse down " << index << "; ";
                }
            } else if (what <= 6) {
                // A MIDI source with overlapping notes on two channels, some
                // of them far outside the keys.
                const int channel = pick(2);
                const int note = road.window.baseNote - 4 + pick(50);
                if (note < 0 || note > 127)
                    continue;
                int& on = midiOn[{channel, note}];
                if (on > 0 && pick(2) == 0) {
                    road.midi(pick(2) ? 0x80 | channel : 0x90 | channel, note, 0);
                    --on;
                    story << "midi off " << channel << "/" << note << "; ";
                } else {
                    road.midi(0x90 | channel, note, 1 + pick(127));
                    ++on;
                    story << "midi on " << channel << "/" << note << "; ";
                }
            } else if (what == 7) {
                const int index = pick(44) - 1;
                if (replaying.erase(index)) {
                    road.input.replayOff(index);
                    story << "replay off " << index << "; ";
                } else {
                    replaying.insert(index);
                    road.input.replayOn(index);
                    story << "replay on " << index << "; ";
                }
            } else if (what == 8) {
                if (road.window.connected) {
                    const int index = pick(43) - 1;
                    road.input.serverNote(index);
                    story << "server " << index << "; ";
                }
            } else if (what == 9) {
                const int note = road.window.baseNote + pick(41);
                if (taking.erase(note)) {
                    road.piano.release(PianoSource::Take, note);
                    story << "take off " << note << "; ";
                } else {
                    taking.insert(note);
                    road.piano.press(PianoPress{PianoSource::Take, note, note - road.window.baseNote, true,
                                                std::nullopt, 0, -1, true});
                    story << "take on " << note << "; ";
                }
            } else if (what == 10) {
                road.repeats.press(KeyRepeatFilter::Stroke{0x1000, time, false, pick(2) ? Vk::Prior : Vk::Next});
                road.repeats.release(KeyRepeatFilter::Stroke{0x1000, time, false, Vk::Prior});
                story << "base " << road.window.baseNote << "; ";
            } else if (what == 11) {
                road.repeats.press(KeyRepeatFilter::Stroke{0x1001, time, false, pick(2) ? Vk::End : Vk::Home});
                road.repeats.release(KeyRepeatFilter::Stroke{0x1001, time, false, Vk::End});
                road.window.patchValue = road.window.patchValue % 10;  // among the ringing pianos too
                story << "patch " << road.window.patchValue << "; ";
            } else if (what == 12 && pick(4) == 0) {
                road.window.connected = !road.window.connected;
                story << (road.window.connected ? "connected; " : "offline; ");
            } else if (what == 13 && pick(8) == 0) {
                // The window loses the keyboard, as the window does it.
                road.repeats.forgetHeld();
                road.input.releaseAll();
                story << "focus lost; ";
            } else if (what == 14 && pick(8) == 0) {
                road.midi(0xB0 | pick(2), pick(2) ? MidiKeyboard::allNotesOff : MidiKeyboard::allSoundOff, 0);
                story << "all notes off; ";
            } else if (what == 15 && pick(8) == 0) {
                road.window.recording = !road.window.recording;
                road.piano.releaseAll();  // Record on or off
                story << "record; ";
            }
            const std::string fault = road.fault();
            ASSERT_TRUE(fault.empty()) << "seed " << seed << ", step " << step << ": " << fault << "\n" << story.str();
        }

        // Every source lets go of what it holds.
        for (const std::uint32_t key : keysDown)
            road.repeats.release(KeyRepeatFilter::Stroke{key, ++time, false, static_cast<int>(key)});
        for (const int index : mouseDown)
            road.input.mouseUp(index);
        for (const auto& [channelNote, count] : midiOn)
            for (int i = 0; i < count; ++i)
                road.midi(0x80 | channelNote.first, channelNote.second, 64);
        for (const int index : replaying)
            road.input.replayOff(index);
        for (const int note : taking)
            road.piano.release(PianoSource::Take, note);

        const std::string fault = road.fault();
        ASSERT_TRUE(fault.empty()) << "seed " << seed << ": " << fault << "\n" << story.str();
        ASSERT_TRUE(road.out.sounding.empty()) << "seed " << seed << "\n" << story.str();
        ASSERT_TRUE(road.out.lit.empty()) << "seed " << seed << "\n" << story.str();
        ASSERT_TRUE(road.piano.holds().empty()) << "seed " << seed << "\n" << story.str();
    }
}

// A note struck again while held, and one note on two channels: the
// listener hears each strike, and the key goes dark with the last release.
TEST(PianoModel, ANoteStruckAgainOrOnTwoChannelsRetriggersAndEndsWithTheLastRelease)
{
    Road road;
    road.midi(0x90, 60, 100);
    road.midi(0x90, 60, 90);
    road.midi(0x80, 60, 0);
    EXPECT_FALSE(road.out.lit.count(0));
    road.midi(0x80, 60, 0);  // the second note-off finds nothing left to end
    EXPECT_EQ(road.out.events, (std::vector<std::string>{"on 60 100", "off 60", "on 60 90", "off 60", "off 60"}));

    road.out.events.clear();
    road.midi(0x90, 62, 100);
    road.midi(0x91, 62, 80);
    road.midi(0x80, 62, 0);
    EXPECT_TRUE(road.out.lit.count(2));
    EXPECT_TRUE(road.out.sounding.count(62));
    road.midi(0x81, 62, 0);
    EXPECT_EQ(road.out.events, (std::vector<std::string>{"on 62 100", "off 62", "on 62 80", "off 62"}));
    EXPECT_TRUE(road.out.lit.empty());

    // A computer key and the mouse on one key sound it once; a MIDI note
    // struck on it strikes it again, at its own velocity.
    road.out.events.clear();
    road.repeats.press(KeyRepeatFilter::Stroke{'Z', 1, false, 'Z'});
    road.input.mouseDown(0);
    road.midi(0x90, 60, 33);
    road.repeats.release(KeyRepeatFilter::Stroke{'Z', 2, false, 'Z'});
    road.input.mouseUp(0);
    EXPECT_TRUE(road.out.lit.count(0));
    road.midi(0x90, 60, 0);
    EXPECT_EQ(road.out.events, (std::vector<std::string>{"on 60 127", "off 60", "on 60 33", "off 60"}));
    EXPECT_TRUE(road.out.lit.empty());
}

// All Notes Off, All Sound Off and a lost source end what is held; notes
// keep the form their press chose, whatever the base note and patch became.
TEST(PianoModel, AllNotesOffEndsEveryHoldAndEachNoteEndsInTheFormItsPressChose)
{
    Road road;
    road.window.patchValue = 2;  // a piano: its notes ring on
    road.input.mouseDown(5);
    road.midi(0x90, 61, 100);  // a MIDI note ends plainly on any patch
    road.window.baseNote = 70;
    road.window.patchValue = 40;
    road.input.replayOn(0);
    road.midi(0xB3, MidiKeyboard::allNotesOff, 0);
    EXPECT_TRUE(road.out.lit.empty());
    EXPECT_TRUE(road.out.sounding.empty());
    EXPECT_EQ(road.out.events, (std::vector<std::string>{"on 65 127", "on 61 100", "on 70 127", "off 65 ring", "off 61",
                                                         "off 70"}));
    EXPECT_EQ(road.wiring.passed, (std::vector<std::uint32_t>{0x7BB3}));
    // The releases that follow find nothing held, and cut nothing.
    road.input.mouseDown(0);
    road.input.mouseUp(5);
    EXPECT_TRUE(road.out.sounding.count(70));
    EXPECT_TRUE(road.fault().empty()) << road.fault();
}
