#include "LineLimiter.h"

#include <chrono>

bool LineLimiter::admit(Clock::time_point now)
{
    if (lines_.take(1, now))
        return true;
    if (leftOut_++ == 0)
        since_ = now;
    return false;
}

std::optional<std::string> LineLimiter::leftOutLine(Clock::time_point now)
{
    if (leftOut_ == 0 || now - since_ < std::chrono::seconds(1))
        return std::nullopt;
    const long n = leftOut_;
    leftOut_ = 0;
    return "(" + std::to_string(n) + " lines on connections left out of the log)";
}
