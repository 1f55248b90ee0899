#pragma once

#include "platform/MidiPorts.h"

#include <memory>
#include <mutex>
#include <string>

// The system's MIDI ports, with their library (velorin-midi.so: RtMidi, JACK
// and ALSA) opened when a port is first wanted. A window that plays only its
// built-in synthesizer never loads them, and its start does not wait for
// them. Without the library there are no ports: an input plays nothing, an
// output does not open.
class LazyMidiPorts : public MidiPorts {
public:
    explicit LazyMidiPorts(std::string library);
    ~LazyMidiPorts() override;

    // With no source named, an input that opens nothing, without the library.
    std::unique_ptr<MidiPortIn> input(const std::string& sourceName) override;
    std::unique_ptr<MidiPortOut> output(const std::string& portName) override;
    // On any thread.
    void addUnmanagedClient() override;
    void removeUnmanagedClient() override;

    bool isLoaded() const { return ports_ != nullptr; }

private:
    bool load();

    std::string library_;
    std::unique_ptr<MidiPorts> ports_;
    bool failed_ = false;
    // The unmanaged clients are counted on the synthesizer's loading thread
    // too; those counted before the library was there are handed on to it.
    std::mutex unmanagedMutex_;
    int unmanaged_ = 0;
};
