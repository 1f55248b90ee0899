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

    void sendNoteOn(int note);
    void sendNoteOn(int note, int velocity);
    void sendNoteOff(int note, int patch);
    void sendProgramChange(int patch);
    // A controller, pitch bend or pressure message, put on midiChannel.
    void sendChannelMessage(std::uint32_t message);

    std::int32_t midiDeviceId = -1;
    std::int32_t midiResult = 0;
    std::uint32_t lastMidiMessage = 0;
    std::int16_t midiChannel = 0;
    std::int16_t noteVelocity = 127;
    // Set while a MIDI keyboard presses a key: its note gets a plain note-off
    // on midiChannel whatever the patch, so that the pianist's key-up and
    // sustain pedal work on the pianos too.
    bool plainNoteOffs = false;

private:
    void send(std::uint32_t message);

    MidiOut& out_;
};
