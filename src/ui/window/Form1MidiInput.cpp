#include "ui/window/Form1MidiInput.h"

#include "ui/window/Form1.h"
#include "logic/midi/MidiIn.h"

#include <QScrollBar>

Form1MidiInput::Form1MidiInput(Form1& form, MidiIn& input) : form_(form), input_(input), keyboard_(*this)
{
    input_.setHandler([this](std::uint32_t message) { keyboard_.receive(message); });
    input_.setNoticeHandler([this](const PortNotice& notice) {
        // A source that went away sends no more note-offs: what it held ends now.
        if (notice.problem)
            form_.piano().releaseSource(PianoSource::MidiKeyboard);
        form_.showMidiPortNotice(notice);
    });
}

Form1MidiInput::~Form1MidiInput()
{
    input_.setNoticeHandler({});
    input_.setHandler({});
}

void Form1MidiInput::noteOn(int channel, int note, int velocity)
{
    form_.input().midiNoteOn(channel, note, velocity);
}

void Form1MidiInput::noteOff(int channel, int note)
{
    form_.input().midiNoteOff(channel, note);
}

void Form1MidiInput::allNotesOff()
{
    form_.piano().releaseAll();
}

void Form1MidiInput::passOn(std::uint32_t message)
{
    form_.midi().sendChannelMessage(message);
}

void Form1MidiInput::setPatch(int patch)
{
    form_.controls().HScrollPatch->setValue(patch);
}
