#pragma once

#include "logic/base/Clock.h"
#include "logic/midi/MidiOut.h"

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
    void clear()
    {
        messages_.clear();
        times_.clear();
    }

    // With a clock, each message also keeps the time it arrived.
    void stampWith(const Clock* clock) { clock_ = clock; }
    const std::vector<Clock::Time>& times() const { return times_; }

private:
    int openResult_;
    bool open_ = false;
    int deviceId_ = 0;
    std::vector<std::uint32_t> messages_;
    const Clock* clock_ = nullptr;
    std::vector<Clock::Time> times_;
};
