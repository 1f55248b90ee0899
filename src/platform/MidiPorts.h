#pragma once

#include "logic/midi/MidiIn.h"
#include "logic/midi/MidiOut.h"

#include <memory>
#include <string>

// An input port of Velorin's own that plays from a source named in the
// settings; start() opens it and looks for the source.
class MidiPortIn : public MidiIn {
public:
    virtual void start() = 0;
};

// An output into one of the system's MIDI ports.
class MidiPortOut : public MidiOut {
public:
    // True while a port that was not there is looked for: open() failed only
    // for that, and the output plays into the port once it is there.
    virtual bool isLooking() const = 0;

    // What open() gives when there are no MIDI ports at all.
    static constexpr int errorNoDevice = 68;
};

// The system's MIDI ports (the ALSA sequencer and JACK), with the JACK server
// watched for all of them. Made on the thread that runs the event loop.
class MidiPorts {
public:
    virtual ~MidiPorts() = default;

    // Null when the ports cannot be reached at all.
    virtual std::unique_ptr<MidiPortIn> input(const std::string& sourceName) = 0;
    // An empty name takes the ports by number (device 0, 1, ...).
    virtual std::unique_ptr<MidiPortOut> output(const std::string& portName) = 0;

    // A JACK client beyond the watch's reach (the synthesizer's audio through
    // JACK) is open while the count is above zero.
    virtual void addUnmanagedClient() = 0;
    virtual void removeUnmanagedClient() = 0;
};
