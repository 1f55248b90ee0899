#pragma once

#include "logic/midi/MidiOut.h"
#include "logic/take/Take.h"

// The window's MIDI output as the take sees it: every message goes on to the
// real output and, while the take records, into the take as well. Sitting at
// the output, it keeps what really sounded, whatever road a note took.
class TakeTee : public MidiOut {
public:
    TakeTee(MidiOut& out, const Clock& clock) : out_(out), take_(clock) {}

    int open(int deviceId) override { return out_.open(deviceId); }
    int close() override { return out_.close(); }
    void shortMsg(std::uint32_t message) override
    {
        // Stamped as it is handed on: the output's own time (a synthesizer
        // starting a voice) does not move it.
        if (paused_ == 0)
            take_.add(message);
        out_.shortMsg(message);
    }
    void setLateFailureHandler(std::function<void()> handler) override { out_.setLateFailureHandler(std::move(handler)); }

    Take& take() { return take_; }
    const Take& take() const { return take_; }

    // Replays go out through the tee but are not part of what was played.
    class Pause {
    public:
        explicit Pause(TakeTee& tee) : tee_(tee) { ++tee_.paused_; }
        ~Pause() { --tee_.paused_; }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        TakeTee& tee_;
    };

private:
    MidiOut& out_;
    Take take_;
    int paused_ = 0;
};
