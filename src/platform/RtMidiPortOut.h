#pragma once

#include "midi/MidiOut.h"

#include <memory>
#include <string>
#include <vector>

class RtMidiOut;

// A MIDI output port of the system, through RtMidi: the ALSA sequencer's
// ports first, then JACK's. Device 0, 1, ... is the port at that position in
// that order; device -1 is the first port whose name starts with the name
// given to the constructor.
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
