#pragma once

#include "logic/base/Clock.h"

#include <map>

// A clock that moves only when told to, running the tasks that fall due on
// the way, in time order. For tests and benchmarks: no real waiting.
class ManualClock : public Clock {
public:
    Time now() const override { return now_; }
    void callAt(Time when, std::function<void()> task) override;

    // Moves time forward by d, running every task due up to the new time.
    void advance(Duration d);
    // Moves to the next task's time and runs what is due then; false if none waits.
    bool runNext();
    // Runs tasks until none waits (or limit tasks ran); returns how many ran.
    int runAll(int limit = 1000000);
    std::size_t pending() const { return tasks_.size(); }

private:
    void runUntil(Time t);

    Time now_ = Time(std::chrono::hours(1));
    std::multimap<Time, std::function<void()>> tasks_;
};
