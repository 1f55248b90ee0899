#include "support/ManualClock.h"

void ManualClock::callAt(Time when, std::function<void()> task)
{
    tasks_.emplace(when < now_ ? now_ : when, std::move(task));
}

void ManualClock::runUntil(Time t)
{
    while (!tasks_.empty() && tasks_.begin()->first <= t) {
        auto first = tasks_.begin();
        now_ = first->first;
        auto task = std::move(first->second);
        tasks_.erase(first);
        task();
    }
    now_ = t;
}

void ManualClock::advance(Duration d)
{
    runUntil(now_ + d);
}

bool ManualClock::runNext()
{
    if (tasks_.empty())
        return false;
    runUntil(tasks_.begin()->first);
    return true;
}

int ManualClock::runAll(int limit)
{
    int ran = 0;
    while (ran < limit && runNext())
        ++ran;
    return ran;
}
