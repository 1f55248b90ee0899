#pragma once

#include <chrono>
#include <cstdint>

// How large a sound stream's buffer is, in frames. It starts small, for a
// quick key; each underrun (a gap in the sound) makes it half as large again,
// up to a bound; and once the sound has run steady for a while it steps back
// down towards the start, so that one hiccup of the machine does not cost
// every later note its latency. When a smaller size soon underruns again, the
// next try waits twice as long, so a machine that needs the larger buffer
// meets that gap more and more rarely.
class SoundBuffer {
public:
    using Clock = std::chrono::steady_clock;

    // startFrames and maxFrames are whole steps (the stream's periods).
    SoundBuffer(std::uint32_t startFrames, std::uint32_t stepFrames, std::uint32_t maxFrames, Clock::time_point now,
                Clock::duration steadyBeforeShrinking = std::chrono::seconds(20));

    std::uint32_t frames() const { return frames_; }
    bool atLargest() const { return frames_ >= max_; }
    // How long the sound must run without an underrun before the buffer shrinks.
    Clock::duration steadyBeforeShrinking() const { return steady_; }

    // An underrun at now; true when the buffer grew.
    bool underrun(Clock::time_point now);
    // The sound plays on at now; true when the buffer shrank.
    bool playing(Clock::time_point now);

private:
    std::uint32_t start_;
    std::uint32_t step_;
    std::uint32_t max_;
    std::uint32_t frames_;
    Clock::time_point changed_;
    Clock::duration steady_;
    bool shrunk_ = false;
};
