#include "logic/keyboard/NoteInput.h"

#include "logic/base/NumberText.h"
#include "logic/keyboard/KeyMap.h"
#include "logic/keyboard/VirtualKeys.h"

NoteInput::NoteInput(NoteInputHost& host, PianoModel& piano) : host_(host), piano_(piano) {}

bool NoteInput::isIgnored(int code)
{
    switch (code) {
    case Vk::Return:
    case Vk::Shift:
    case Vk::Control:
    case Vk::Menu:
    case Vk::Capital:
    case Vk::Escape:
    case Vk::Space:
    case Vk::Left:
    case Vk::Right:
    case Vk::LWin:
    case Vk::RWin:
    case Vk::Apps:
    case Vk::VolumeDown:
    case Vk::VolumeUp:
    case Vk::Grave:
        return true;
    default:
        // F1 to F6 are shortcuts of the File menu.
        return code >= Vk::F1 && code <= Vk::F1 + 5;
    }
}

void NoteInput::moveBaseNote(int delta)
{
    host_.writeBaseNote(NumberText::saturatingAdd(host_.readBaseNote(), delta));
    host_.setCaption("Base: " + NumberText::toText(host_.readBaseNote()));
}

void NoteInput::keyDown(int code)
{
    if (code == Vk::Prior) {
        moveBaseNote(+1);
        return;
    }
    if (code == Vk::Next) {
        moveBaseNote(-1);
        return;
    }
    if (isIgnored(code))
        return;
    if (code == Vk::Home) {
        if (host_.patch() != 127)
            host_.setPatch(host_.patch() + 1);
        return;
    }
    if (code == Vk::End) {
        if (host_.patch() != 0)
            host_.setPatch(host_.patch() - 1);
        return;
    }
    if (host_.chatInputActive()) {
        host_.focusChatInput();
        return;
    }
    pressIndex(PianoSource::Keys, code, KeyMap::KeyIndex(code), host_.noteVelocity(), host_.patch(), false);
}

void NoteInput::keyUp(int code)
{
    const int index = KeyMap::KeyIndex(code);
    if (const auto hold = piano_.release(PianoSource::Keys, code)) {
        ended(*hold);
        return;
    }
    // A release whose press never reached a note (a shortcut, a modifier, a
    // key taken by the chat line) has no length to record; its note-off
    // still goes out, unless the note sounds for someone else.
    if (index != -1)
        piano_.strayRelease(index, noteOf(index), host_.patch());
}

void NoteInput::mouseDown(int index)
{
    pressIndex(PianoSource::Mouse, index, index, host_.noteVelocity(), host_.patch(), false);
}

void NoteInput::mouseUp(int index)
{
    if (const auto hold = piano_.release(PianoSource::Mouse, index))
        ended(*hold);
    else
        piano_.strayRelease(index, noteOf(index), host_.patch());  // already released when the keyboard left
}

// A key, mouse or MIDI keyboard press of key index: sent while connected,
// else sounded and recorded. Only a press that holds something new counts.
void NoteInput::pressIndex(PianoSource source, int id, int index, int velocity, int offPatch, bool strikeAgain)
{
    PianoPress press{source, id, index, false, std::nullopt, velocity, offPatch, strikeAgain};
    if (host_.isConnected()) {
        // Nothing sounds here: the note comes back from the server. The
        // hold only remembers that its release belongs to a press.
        if (piano_.press(press))
            host_.sendKeyIndex(index);
        return;
    }
    if (index != -1) {
        press.shown = true;
        press.note = noteOf(index);
    }
    if (piano_.press(press) && host_.isRecording())
        host_.pressHook(index);
}

void NoteInput::ended(const PianoModel::Hold& hold)
{
    // A press sent to the server sounded nothing here; its release still
    // ends the key's note here, as any release does.
    if (!hold.note && hold.key != -1)
        piano_.strayRelease(hold.key, noteOf(hold.key), host_.patch());
    if (host_.isRecording())
        host_.releaseHook(hold.key);
}

void NoteInput::midiNoteOn(int channel, int note, int velocity)
{
    const int index = note - host_.readBaseNote();
    if (index >= 0 && index < KeyMap::keyCount) {
        pressIndex(PianoSource::MidiKeyboard, midiId(channel, note), index, velocity, -1, true);
        return;
    }
    // The event log and shared play carry key indices only: such a note
    // sounds and nothing more.
    piano_.press(PianoPress{PianoSource::MidiKeyboard, midiId(channel, note), -1, false, note, velocity, -1, true});
}

void NoteInput::midiNoteOff(int channel, int note)
{
    if (const auto hold = piano_.release(PianoSource::MidiKeyboard, midiId(channel, note))) {
        if (hold->key != -1)
            ended(*hold);
        return;
    }
    // Not pressed here (held before Velorin listened): stop its sound, but
    // leave the keys and the recording alone.
    piano_.strayRelease(-1, note, -1);
}

void NoteInput::replayOn(int index)
{
    if (index == -1)
        return;
    const bool connected = host_.isConnected();
    const bool onKey = index >= 0 && index < KeyMap::keyCount;
    // No on-screen key: only a note that came over the network sounds. While
    // connected a key sounds again whether or not it shows pressed.
    if (!onKey && !connected)
        return;
    piano_.press(PianoPress{PianoSource::Replay, index, onKey ? index : -1, onKey, noteOf(index),
                            host_.noteVelocity(), host_.patch(), connected});
}

void NoteInput::replayOff(int index)
{
    if (index == -1)
        return;
    if (!piano_.release(PianoSource::Replay, index))
        piano_.strayRelease(index, noteOf(index), host_.patch());
}

void NoteInput::serverNote(int index)
{
    if (index == -1)
        return;
    const bool onKey = index >= 0 && index < KeyMap::keyCount;
    piano_.press(PianoPress{PianoSource::Network, index, onKey ? index : -1, onKey, noteOf(index),
                            host_.noteVelocity(), host_.patch(), true});
    piano_.release(PianoSource::Network, index);
}

void NoteInput::releaseAll()
{
    for (const PianoSource source : {PianoSource::Keys, PianoSource::Mouse})
        for (const int id : piano_.idsOf(source))
            if (const auto hold = piano_.release(source, id))
                ended(*hold);
}
