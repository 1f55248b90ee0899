#pragma once

#include "logic/midi/MidiOut.h"

#include <atomic>
#include <memory>

class MidiPorts;
class SettingsStore;

// The MIDI output the program opens: device -1 is the output chosen in the
// settings (the built-in synthesizer unless a port is named), 0, 1, ... the
// system's MIDI ports. A port named in the settings that is not there stays
// the output: it is looked for, and played into once it is there.
class SystemMidiOut : public MidiOut {
public:
    SystemMidiOut(const SettingsStore& settings, MidiPorts& ports);
    ~SystemMidiOut() override;

    int open(int deviceId) override;
    int close() override;
    void shortMsg(std::uint32_t message) override;
    void setLateFailureHandler(std::function<void()> handler) override;
    void setNoticeHandler(PortNoticeHandler handler) override;

    MidiOut* current() const { return current_.get(); }

    // The built-in synthesizer opened while held waits for the release
    // before it loads anything (the program releases it once its window is
    // on the screen); a released one starts at open, as without a hold.
    void holdSynthesizer() { synthHeld_ = true; }
    void releaseSynthesizer();

private:
    const SettingsStore& settings_;
    MidiPorts& ports_;
    std::unique_ptr<MidiOut> current_;
    std::function<void()> lateFailure_;
    PortNoticeHandler notice_;
    bool synthHeld_ = false;
    // Set on the synthesizer's loading thread.
    std::atomic<bool> synthOnJack_{false};
};
