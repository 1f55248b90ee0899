#pragma once

#include "platform/MidiPorts.h"

class JackWatch;

// The ports through RtMidi (RtMidiPortIn, RtMidiPortOut), all watched by one
// JackWatch, which outlives this object and every port it made.
class JackMidiPorts : public MidiPorts {
public:
    explicit JackMidiPorts(JackWatch& watch) : watch_(watch) {}

    std::unique_ptr<MidiPortIn> input(const std::string& sourceName) override;
    std::unique_ptr<MidiPortOut> output(const std::string& portName) override;
    void addUnmanagedClient() override;
    void removeUnmanagedClient() override;

private:
    JackWatch& watch_;
};
