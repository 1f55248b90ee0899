#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the key and mouse handling needs of the main window.
class NoteInputHost {
public:
    virtual ~NoteInputHost() = default;

    virtual std::int16_t readBaseNote() const = 0;
    virtual void writeBaseNote(std::int16_t note) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual int patch() const = 0;
    virtual void setPatch(int patch) = 0;

    // The chat line takes the keys while it is enabled and shown.
    virtual bool chatInputActive() const = 0;
    virtual void focusChatInput() = 0;

    virtual bool isConnected() const = 0;
    virtual void sendKeyIndex(int index) = 0;

    virtual void NoteOn(int index) = 0;
    virtual void NoteOff(int index) = 0;
    // The release of a press that sounded nothing (a shortcut, a modifier, a
    // key the chat line took, a mouse press already released): a note-off
    // that stops nothing another source still holds.
    virtual void strayNoteOff(int index) = 0;

    virtual bool isRecording() const = 0;
    virtual void pressHook(int index) = 0;
    virtual void releaseHook(int index) = 0;
};

// Turns key codes and mouse presses into notes: the repeat counter, the base
// note and patch keys, the ignored keys, the chat redirect, shared play and
// the recorder's hooks, in that order.
class NoteInput {
public:
    explicit NoteInput(NoteInputHost& host);

    void keyDown(int code);
    void keyUp(int code);
    void mouseDown(int index);
    void mouseUp(int index);
    // A key pressed and released on a MIDI keyboard: the mouse's road, but
    // it stays down while the window's keyboard goes elsewhere, because the
    // MIDI keyboard still holds it.
    void externalDown(int index);
    void externalUp(int index);

    // For keys whose key-up will never arrive (the keyboard went to a menu,
    // a dialog or another window): releases every key and mouse press still
    // held through its own release path, then resets the counter.
    void releaseAll();

    std::int16_t keyRepeatCount = 0;

    // A held key is handled at most this many times (its press and two
    // repeats) until some key is released. Only repeats are held back: every
    // new key of a chord sounds, however many.
    static constexpr std::int16_t maxRepeats = 3;

    static bool isIgnored(int code);

private:
    void moveBaseNote(int delta);
    void keyUpIndex(int index);
    void press(int index);

    NoteInputHost& host_;
    // Keys whose press reached the note (sounded or sent) and mouse presses
    // on keys, until their release: only these releases are recorded.
    std::vector<int> heldCodes_;
    std::vector<int> heldMouse_;
    // Every key down now, whatever its press did: a press of one of these is
    // a repeat.
    std::vector<int> downCodes_;
};
