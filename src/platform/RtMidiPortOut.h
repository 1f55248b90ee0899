#pragma once

#include "midi/MidiOut.h"

#include <memory>
#include <string>
#include <vector>

class RtMidiOut;

// A MIDI output port of the system (ALSA sequencer, JACK), through RtMidi.
// Device 0, 1, ... is the port at that position in RtMidi's order; device -1
// is the port named in the constructor.
class RtMidiPortOut : public MidiOut {
public:
    explicit RtMidiPortOut(std::string portName = {});
    ~RtMidiPortOut() override;

    int open(int deviceId) override;
    int close() override;
    void shortMsg(std::uint32_t message) override;

    static std::vector<std::string> portNames();

private:
    std::string portName_;
    std::unique_ptr<RtMidiOut> port_;
};
