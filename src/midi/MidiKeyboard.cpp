#include "midi/MidiKeyboard.h"

#include "midi/KeyMap.h"

#include <algorithm>

MidiKeyboard::MidiKeyboard(MidiKeyboardHost& host) : host_(host)
{
    keyOfNote_.fill(-1);
}

void MidiKeyboard::receive(std::uint32_t message)
{
    const int status = static_cast<int>(message & 0xFF);
    const int data1 = static_cast<int>((message >> 8) & 0xFF);
    const int data2 = static_cast<int>((message >> 16) & 0xFF);
    if (status < 0x80 || data1 > 127 || data2 > 127)
        return;
    switch (status & 0xF0) {
    case 0x90:
        if (data2 > 0) {
            noteOn(data1, data2);
            break;
        }
        noteOff(data1);  // velocity 0 is a release
        break;
    case 0x80:
        noteOff(data1);
        break;
    case 0xB0:
    case 0xD0:
    case 0xE0:
        host_.passOn(message & 0xFFFFFF);
        break;
    case 0xC0:
        host_.setPatch(data1);
        break;
    default:
        // Key pressure and the system messages (clock, active sensing,
        // system exclusive, ...) do not play the piano.
        break;
    }
}

void MidiKeyboard::noteOn(int note, int velocity)
{
    const int index = note - host_.readBaseNote();
    if (index < 0 || index >= KeyMap::keyCount) {
        // The event log and shared play carry key indices only: such a note sounds and nothing more.
        host_.soundNoteOn(note, velocity);
        return;
    }
    keyOfNote_[static_cast<std::size_t>(note)] = index;
    host_.pressKey(index, velocity);
}

void MidiKeyboard::noteOff(int note)
{
    int& index = keyOfNote_[static_cast<std::size_t>(note)];
    if (index < 0) {
        // Not pressed here (held before Velorin listened, or a note without
        // a key): stop its sound, but leave the keys and the recording alone.
        host_.soundNoteOff(note);
        return;
    }
    const int key = index;
    index = -1;
    host_.releaseKey(key);
}

bool MidiKeyboard::holds(int index) const
{
    return index >= 0 && std::find(keyOfNote_.begin(), keyOfNote_.end(), index) != keyOfNote_.end();
}

std::vector<int> MidiKeyboard::heldKeys() const
{
    std::vector<int> keys;
    for (int index : keyOfNote_)
        if (index >= 0 && std::find(keys.begin(), keys.end(), index) == keys.end())
            keys.push_back(index);
    std::sort(keys.begin(), keys.end());
    return keys;
}
