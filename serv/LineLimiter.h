#pragma once

#include "TokenBucket.h"

#include <optional>
#include <string>

// Lines about connections, which come at whatever rate the clients like: a
// burst, then a few a second; those left out are counted, and a line tells
// how many once a second has passed since the first of them.
class LineLimiter {
public:
    using Clock = TokenBucket::Clock;

    LineLimiter(double perSecond, double burst, Clock::time_point now) : lines_(perSecond, burst, now) {}

    // True when the line may be written now; else it is counted.
    bool admit(Clock::time_point now);
    // The line telling how many were left out, when it is due at now.
    std::optional<std::string> leftOutLine(Clock::time_point now);
    bool leavingOut() const { return leftOut_ > 0; }

private:
    TokenBucket lines_;
    long leftOut_ = 0;
    Clock::time_point since_{};
};
