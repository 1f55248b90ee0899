#pragma once

#include <array>
#include <cstdint>
#include <vector>

// What playing from a MIDI keyboard needs of the main window.
class MidiKeyboardHost {
public:
    virtual ~MidiKeyboardHost() = default;

    virtual std::int16_t readBaseNote() const = 0;

    // The road of a mouse press on an on-screen key, sounding at this velocity.
    virtual void pressKey(int index, int velocity) = 0;
    // The road of a mouse release.
    virtual void releaseKey(int index) = 0;

    // A note with no on-screen key: it sounds, and nothing else happens.
    virtual void soundNoteOn(int note, int velocity) = 0;
    virtual void soundNoteOff(int note) = 0;

    // A controller, pitch bend or channel pressure, to go out on the
    // keyboard's channel with its data unchanged.
    virtual void passOn(std::uint32_t message) = 0;

    // Moves the patch bar, which changes the instrument.
    virtual void setPatch(int patch) = 0;
};

// Turns the messages of a MIDI keyboard into key presses and releases of the
// on-screen keys, notes and controller changes, whatever channel they come on.
class MidiKeyboard {
public:
    explicit MidiKeyboard(MidiKeyboardHost& host);

    void receive(std::uint32_t message);

    // True while key index is held down on the MIDI keyboard: its note-off
    // has not come yet.
    bool holds(int index) const;
    std::vector<int> heldKeys() const;

private:
    void noteOn(int note, int velocity);
    void noteOff(int note);

    MidiKeyboardHost& host_;
    // For each MIDI note held on the keyboard, the key its press went to,
    // so that its release reaches the same key after the base note moved;
    // -1 where none.
    std::array<int, 128> keyOfNote_;
};
