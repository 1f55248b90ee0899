#include "midi/NoteInput.h"

#include "app/NumberText.h"
#include "midi/KeyMap.h"
#include "midi/VirtualKeys.h"

#include <algorithm>
#include <utility>

namespace {
// Removes one v from list; true when it was there.
bool take(std::vector<int>& list, int v)
{
    const auto it = std::find(list.begin(), list.end(), v);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}
}  // namespace

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
    const bool repeat = std::find(downCodes_.begin(), downCodes_.end(), code) != downCodes_.end();
    if (repeat && keyRepeatCount >= maxRepeats)
        return;
    ++keyRepeatCount;
    if (!repeat)
        downCodes_.push_back(code);

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
    // A repeat of a held key: its note sounds already, and one release ends it.
    if (std::find(heldCodes_.begin(), heldCodes_.end(), code) != heldCodes_.end())
        return;
    heldCodes_.push_back(code);
    press(KeyMap::KeyIndex(code));
}

void NoteInput::keyUp(int code)
{
    keyRepeatCount = 0;
    take(downCodes_, code);
    const int index = KeyMap::KeyIndex(code);
    if (take(heldCodes_, code)) {
        keyUpIndex(index);
        return;
    }
    // A release whose press never reached a note (a shortcut, a modifier, a
    // key taken by the chat line or past the repeat limit) has no length to
    // record.
    host_.strayNoteOff(index);
}

void NoteInput::keyUpIndex(int index)
{
    host_.NoteOff(index);
    if (host_.isRecording())
        host_.releaseHook(index);
}

void NoteInput::mouseDown(int index)
{
    heldMouse_.push_back(index);
    press(index);
}

// A key press and a mouse press end the same way: sent while connected,
// else sounded and recorded.
void NoteInput::press(int index)
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
    if (take(heldMouse_, index))
        keyUpIndex(index);
    else
        host_.strayNoteOff(index);  // already released when the keyboard left
}

void NoteInput::externalDown(int index)
{
    press(index);
}

void NoteInput::externalUp(int index)
{
    keyUpIndex(index);
}

void NoteInput::releaseAll()
{
    // Copied first: each release may run code that presses again.
    const std::vector<int> codes = std::exchange(heldCodes_, {});
    const std::vector<int> mouse = std::exchange(heldMouse_, {});
    downCodes_.clear();
    for (int code : codes)
        keyUpIndex(KeyMap::KeyIndex(code));
    for (int index : mouse)
        keyUpIndex(index);
    keyRepeatCount = 0;
}
