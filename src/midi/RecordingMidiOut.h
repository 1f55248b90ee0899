#pragma once

#include "midi/MidiOut.h"

#include <cstdint>
#include <vector>

// A MIDI output that keeps every message it carries, for tests and benchmarks.
// Like a real device it carries messages only while open.
class RecordingMidiOut : public MidiOut {
public:
    explicit RecordingMidiOut(int openResult = 0) : openResult_(openResult) {}

    int open(int deviceId) override;
    int close() override;
    void shortMsg(std::uint32_t message) override;

    bool isOpen() const { return open_; }
    int lastDeviceId() const { return deviceId_; }
    const std::vector<std::uint32_t>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    int openResult_;
    bool open_ = false;
    int deviceId_ = 0;
    std::vector<std::uint32_t> messages_;
};
