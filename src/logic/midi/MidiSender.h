#pragma once

#include <cstdint>

class MidiOut;

// The keyboard's one MIDI output: which device is open, on which channel and
// with which velocity notes go out, and the last message built.
class MidiSender {
public:
    explicit MidiSender(MidiOut& out);

    // Opens device n - 1 after closing the previous one; n = 0 opens the
    // default output. False when the device did not open.
    bool OpenMidiDevice(std::int16_t n);
    void close();

    void sendNoteOn(int note);  // at noteVelocity
    void sendNoteOn(int note, int velocity);
    // The patch decides the form (0 to 5 let the pianos ring on); -1 is a
    // plain note-off on any patch.
    void sendNoteOff(int note, int patch);
    void sendProgramChange(int patch);
    // A controller, pitch bend or pressure message, put on midiChannel.
    void sendChannelMessage(std::uint32_t message);

    std::int32_t midiDeviceId = -1;
    std::int32_t midiResult = 0;
    std::uint32_t lastMidiMessage = 0;
    std::int16_t midiChannel = 0;
    // The velocity of the window's own notes; a MIDI keyboard's carry theirs.
    std::int16_t noteVelocity = 127;

private:
    void send(std::uint32_t message);

    MidiOut& out_;
};
