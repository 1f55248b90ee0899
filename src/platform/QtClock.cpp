#include "platform/QtClock.h"

#include <QTimer>

Clock::Time QtClock::now() const
{
    return std::chrono::steady_clock::now();
}

void QtClock::callAt(Time when, std::function<void()> task)
{
    // Qt timers count whole milliseconds and may wake a little late: sleep
    // until about a millisecond before the time, then yield to the event loop
    // until it has come, so tasks run within a fraction of a millisecond.
    using std::chrono::milliseconds;
    const auto remaining = when - now();
    const auto sleep = std::chrono::floor<milliseconds>(remaining) - milliseconds(1);
    const int ms = sleep.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(sleep.count(), 1 << 30));
    QTimer::singleShot(ms, Qt::PreciseTimer, &context_, [this, when, task = std::move(task)]() mutable {
        if (now() < when)
            callAt(when, std::move(task));
        else
            task();
    });
}
