#pragma once

#include <chrono>

// A rate with a burst: what may be spent now, refilled at a steady rate up to
// the burst. Time comes from the caller.
class TokenBucket {
public:
    using Clock = std::chrono::steady_clock;

    TokenBucket() = default;
    TokenBucket(double rate, double burst, Clock::time_point now) : rate_(rate), burst_(burst), left_(burst), at_(now) {}

    // What may be spent at now.
    double available(Clock::time_point now) const;
    // Brings the refill up to now.
    void refill(Clock::time_point now);
    // Spends n; it may go below zero, to be paid back by the refill.
    void spend(double n) { left_ -= n; }
    // Spends cost when it is there at now: true then, false (and nothing
    // spent) when it is not.
    bool take(double cost, Clock::time_point now);

private:
    double rate_ = 0;
    double burst_ = 0;
    double left_ = 0;
    Clock::time_point at_{};
};
