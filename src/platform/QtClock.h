#pragma once

#include "logic/base/Clock.h"

#include <QObject>

// The real monotonic clock; tasks run from precise single-shot Qt timers on
// the thread that made the clock.
class QtClock : public Clock {
public:
    Time now() const override;
    void callAt(Time when, std::function<void()> task) override;

private:
    QObject context_;  // tasks die with the clock
};
