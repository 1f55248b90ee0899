#pragma once

#include "logic/keyboard/PianoModel.h"

#include <cstdint>
#include <string>

// What the rules of playing need of the main window: its state, and the
// few things they do there besides notes.
class NoteInputHost {
public:
    virtual ~NoteInputHost() = default;

    virtual std::int16_t readBaseNote() const = 0;
    virtual void writeBaseNote(std::int16_t note) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual int patch() const = 0;
    virtual void setPatch(int patch) = 0;
    // The velocity of the notes of computer keys, the mouse, replay and the network.
    virtual int noteVelocity() const = 0;

    // The chat line takes the keys while it is enabled and shown.
    virtual bool chatInputActive() const = 0;
    virtual void focusChatInput() = 0;

    virtual bool isConnected() const = 0;
    virtual void sendKeyIndex(int index) = 0;

    virtual bool isRecording() const = 0;
    virtual void pressHook(int index) = 0;
    virtual void releaseHook(int index) = 0;
};

// Every road a note comes in by, in one place: computer keys (one press and
// one release per stroke, repeats already filtered out), the mouse, a MIDI
// keyboard, replay and the play server. It applies the rules of each (the
// base note and patch keys, the ignored keys, the chat redirect, shared play,
// the recorder's hooks) and hands the notes as presses to the PianoModel,
// which owns what is held.
class NoteInput {
public:
    NoteInput(NoteInputHost& host, PianoModel& piano);

    void keyDown(int code);
    void keyUp(int code);
    void mouseDown(int index);
    void mouseUp(int index);
    // A note of a MIDI keyboard, on any channel: a note of one of the 41 keys
    // takes the mouse's road at its own velocity and ends with a plain
    // note-off; any other note only sounds.
    void midiNoteOn(int channel, int note, int velocity);
    void midiNoteOff(int channel, int note);
    // The event log's replay, through the window's NoteOn and NoteOff.
    void replayOn(int index);
    void replayOff(int index);
    // A note the play server sent: it sounds and ends at once.
    void serverNote(int index);

    // For keys whose key-up will never arrive (the keyboard went to a menu,
    // a dialog or another window): releases every key and mouse press still
    // held through its own release path. A MIDI keyboard's keys stay down:
    // their note-offs still come.
    void releaseAll();

    static bool isIgnored(int code);

private:
    void moveBaseNote(int delta);
    void pressIndex(PianoSource source, int id, int index, int velocity, int offPatch, bool strikeAgain);
    void ended(const PianoModel::Hold& hold);
    int noteOf(int index) const { return host_.readBaseNote() + index; }
    static int midiId(int channel, int note) { return channel * 128 + note; }

    NoteInputHost& host_;
    PianoModel& piano_;
};
