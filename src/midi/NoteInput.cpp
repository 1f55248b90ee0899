#include "midi/NoteInput.h"

#include "app/NumberText.h"
#include "midi/KeyMap.h"
#include "midi/VirtualKeys.h"

NoteInput::NoteInput(NoteInputHost& host) : host_(host) {}

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
    if (keyRepeatCount >= maxRepeats)
        return;
    ++keyRepeatCount;

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
    mouseDown(KeyMap::KeyIndex(code));
}

void NoteInput::keyUp(int code)
{
    keyRepeatCount = 0;
    keyUpIndex(KeyMap::KeyIndex(code));
}

void NoteInput::keyUpIndex(int index)
{
    host_.NoteOff(index);
    if (host_.isRecording())
        host_.releaseHook(index);
}

// A key press and a mouse press end the same way: sent while connected,
// else sounded and recorded.
void NoteInput::mouseDown(int index)
{
    if (host_.isConnected()) {
        host_.sendKeyIndex(index);
        return;
    }
    host_.NoteOn(index);
    if (host_.isRecording())
        host_.pressHook(index);
}

void NoteInput::mouseUp(int index)
{
    keyUpIndex(index);
}

void NoteInput::releaseAll(const std::vector<int>& indices)
{
    for (int index : indices)
        keyUpIndex(index);
    keyRepeatCount = 0;
}
