#pragma once

#include "logic/midi/MidiKeyboard.h"

class Form1;
class MidiIn;

// The main window played from a MIDI input: each message goes through the
// MidiKeyboard rules onto the window's own roads, so a key of the MIDI
// keyboard lights, sounds, records and goes to the play server as a mouse
// press on the same key does.
class Form1MidiInput : private MidiKeyboardHost {
public:
    // The input must outlive this object; its handler must run on the window's thread.
    Form1MidiInput(Form1& form, MidiIn& input);
    ~Form1MidiInput() override;

private:
    void noteOn(int channel, int note, int velocity) override;
    void noteOff(int channel, int note) override;
    void allNotesOff() override;
    void passOn(std::uint32_t message) override;
    void setPatch(int patch) override;

    Form1& form_;
    MidiIn& input_;
    MidiKeyboard keyboard_;
};
