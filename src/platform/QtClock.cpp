#include "platform/QtClock.h"

#include <QTimer>

Clock::Time QtClock::now() const
{
    return std::chrono::steady_clock::now();
}

void QtClock::callAt(Time when, std::function<void()> task)
{
    const auto delay = std::chrono::ceil<std::chrono::milliseconds>(when - now());
    const int ms = delay.count() < 0 ? 0 : static_cast<int>(std::min<long long>(delay.count(), 1 << 30));
    QTimer::singleShot(ms, Qt::PreciseTimer, &context_, [this, when, task = std::move(task)]() mutable {
        // Timers may fire a little early; never run a task before its time.
        if (now() < when)
            callAt(when, std::move(task));
        else
            task();
    });
}
