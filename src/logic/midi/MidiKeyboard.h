#pragma once

#include <cstdint>

// What playing from a MIDI keyboard does in the window.
class MidiKeyboardHost {
public:
    virtual ~MidiKeyboardHost() = default;

    // A note struck or let go on a channel (0..15).
    virtual void noteOn(int channel, int note, int velocity) = 0;
    virtual void noteOff(int channel, int note) = 0;
    // All Notes Off or All Sound Off: nothing may stay held or lit.
    virtual void allNotesOff() = 0;

    // A controller, pitch bend or channel pressure, to go out on the
    // keyboard's channel with its data unchanged.
    virtual void passOn(std::uint32_t message) = 0;

    // Moves the patch bar, which changes the instrument.
    virtual void setPatch(int patch) = 0;
};

// Reads the messages of a MIDI keyboard, whatever channel they come on:
// notes, controllers, program changes. What is held is for the piano to know.
class MidiKeyboard {
public:
    explicit MidiKeyboard(MidiKeyboardHost& host);

    void receive(std::uint32_t message);

    // Controllers 120 (All Sound Off) and 123 (All Notes Off).
    static constexpr int allSoundOff = 120;
    static constexpr int allNotesOff = 123;

private:
    MidiKeyboardHost& host_;
};
