#include "logic/midi/MidiSender.h"

#include "logic/midi/MidiMessages.h"
#include "logic/midi/MidiOut.h"

MidiSender::MidiSender(MidiOut& out) : out_(out) {}

bool MidiSender::OpenMidiDevice(std::int16_t n)
{
    midiDeviceId = n - 1;
    midiResult = out_.close();
    midiResult = out_.open(midiDeviceId);
    return midiResult == 0;
}

void MidiSender::close()
{
    midiResult = out_.close();
}

void MidiSender::send(std::uint32_t message)
{
    lastMidiMessage = message;
    out_.shortMsg(message);
}

void MidiSender::sendNoteOn(int note)
{
    sendNoteOn(note, noteVelocity);
}

void MidiSender::sendNoteOn(int note, int velocity)
{
    if (const auto m = MidiMessages::noteOn(midiChannel, note, velocity))
        send(*m);
}

void MidiSender::sendNoteOff(int note, int patch)
{
    if (const auto m = MidiMessages::noteOff(midiChannel, note, patch))
        send(*m);
}

void MidiSender::sendProgramChange(int patch)
{
    if (const auto m = MidiMessages::programChange(midiChannel, patch))
        send(*m);
}

void MidiSender::sendChannelMessage(std::uint32_t message)
{
    if (const auto m = MidiMessages::onChannel(message, midiChannel))
        send(*m);
}
