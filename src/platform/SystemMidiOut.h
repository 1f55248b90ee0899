#pragma once

#include "midi/MidiOut.h"

#include <memory>

class SettingsStore;

// The MIDI output the program opens: device -1 is the output chosen in the
// settings (the built-in synthesizer unless a port is named), 0, 1, ... the
// system's MIDI ports.
class SystemMidiOut : public MidiOut {
public:
    explicit SystemMidiOut(const SettingsStore& settings);
    ~SystemMidiOut() override;

    int open(int deviceId) override;
    int close() override;
    void shortMsg(std::uint32_t message) override;
    void setLateFailureHandler(std::function<void()> handler) override;

    MidiOut* current() const { return current_.get(); }

private:
    const SettingsStore& settings_;
    std::unique_ptr<MidiOut> current_;
    std::function<void()> lateFailure_;
};
