#include "TokenBucket.h"

#include <algorithm>

double TokenBucket::available(Clock::time_point now) const
{
    return std::min(burst_, left_ + std::chrono::duration<double>(now - at_).count() * rate_);
}

void TokenBucket::refill(Clock::time_point now)
{
    left_ = available(now);
    at_ = now;
}
