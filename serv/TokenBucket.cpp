#include "TokenBucket.h"

#include <algorithm>

double TokenBucket::available(Clock::time_point now) const
{
    return std::min(burst_, left_ + std::chrono::duration<double>(now - at_).count() * rate_);
}

bool TokenBucket::take(double cost, Clock::time_point now)
{
    refill(now);
    if (cost > left_)
        return false;
    left_ -= cost;
    return true;
}

void TokenBucket::refill(Clock::time_point now)
{
    left_ = available(now);
    at_ = now;
}
