#include "logic/midi/MidiKeyboard.h"

MidiKeyboard::MidiKeyboard(MidiKeyboardHost& host) : host_(host) {}

void MidiKeyboard::receive(std::uint32_t message)
{
    const int status = static_cast<int>(message & 0xFF);
    const int data1 = static_cast<int>((message >> 8) & 0xFF);
    const int data2 = static_cast<int>((message >> 16) & 0xFF);
    if (status < 0x80 || data1 > 127 || data2 > 127)
        return;
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
    case 0x90:
        if (data2 > 0) {
            host_.noteOn(channel, data1, data2);
            break;
        }
        host_.noteOff(channel, data1);  // velocity 0 is a release
        break;
    case 0x80:
        host_.noteOff(channel, data1);
        break;
    case 0xB0:
        // The notes end here, so that no key stays lit; the controller
        // itself still goes on to the instrument.
        if (data1 == allSoundOff || data1 == allNotesOff)
            host_.allNotesOff();
        host_.passOn(message & 0xFFFFFF);
        break;
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
