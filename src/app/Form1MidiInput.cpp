#include "app/Form1MidiInput.h"

#include "app/Form1.h"
#include "midi/MidiIn.h"

#include <QScrollBar>

Form1MidiInput::Form1MidiInput(Form1& form, MidiIn& input) : form_(form), input_(input), keyboard_(*this)
{
    input_.setHandler([this](std::uint32_t message) { keyboard_.receive(message); });
}

Form1MidiInput::~Form1MidiInput()
{
    input_.setHandler({});
}

std::int16_t Form1MidiInput::readBaseNote() const
{
    return form_.baseNote;
}

void Form1MidiInput::pressKey(int index, int velocity)
{
    // The mouse's road, so that shared play and recording treat both alike;
    // only the velocity and the plain note-off are the MIDI keyboard's own
    // for this one note.
    MidiSender& sender = form_.midi();
    const std::int16_t fixed = sender.noteVelocity;
    sender.noteVelocity = static_cast<std::int16_t>(velocity);
    sender.plainNoteOffs = true;
    form_.input().externalDown(index);
    sender.plainNoteOffs = false;
    sender.noteVelocity = fixed;
}

void Form1MidiInput::releaseKey(int index)
{
    form_.input().externalUp(index);
}

void Form1MidiInput::soundNoteOn(int note, int velocity)
{
    form_.midi().sendNoteOn(note, velocity);
}

void Form1MidiInput::soundNoteOff(int note)
{
    form_.midi().sendNoteOff(note, -1);  // a plain note-off, as for the keys
}

void Form1MidiInput::passOn(std::uint32_t message)
{
    form_.midi().sendChannelMessage(message);
}

void Form1MidiInput::setPatch(int patch)
{
    form_.controls().HScrollPatch->setValue(patch);
}
