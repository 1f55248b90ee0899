#include "logic/recording/Recorder.h"

#include "logic/base/Files.h"
#include "logic/base/NumberText.h"
#include "logic/recording/EventLog.h"


namespace {
// The nearest 10 ms step of the recording's grid at time t.
long long gridStep(Clock::Time origin, Clock::Time t)
{
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(t - origin).count();
    const long long tick = std::chrono::duration_cast<std::chrono::microseconds>(Recorder::tick).count();
    // Rounded half up; times before the origin (none in practice) count from it.
    return us <= 0 ? 0 : (us + tick / 2) / tick;
}
}  // namespace

// Every event is placed on one grid of 10 ms steps counted from the start of
// the recording, and a count is the difference of two grid steps. A count
// measured on its own would drop the part of a step it did not finish, about
// 5 ms a line; on one grid the lines add up to the played length within one
// step, however long the recording.
double Recorder::Count::value(Clock::Time origin, Clock::Time now) const
{
    if (!running)
        return base;
    const long long steps = gridStep(origin, now) - gridStep(origin, since);
    return base + static_cast<double>(steps < 0 ? 0 : steps);
}

void Recorder::Count::start(Clock::Time now)
{
    if (!running) {
        running = true;
        since = now;
    }
}

void Recorder::Count::stop(Clock::Time origin, Clock::Time now)
{
    base = value(origin, now);
    running = false;
}

void Recorder::Count::zero(Clock::Time now)
{
    base = 0;
    since = now;
}

Recorder::Recorder(Clock& clock, Files& files, std::string logPath, std::function<void(const std::string&)> setCaption)
    : clock_(clock), files_(files), logPath_(std::move(logPath)), setCaption_(std::move(setCaption)),
      origin_(clock_.now())
{
}

void Recorder::append(const std::string& line)
{
    // A line that cannot be written is lost; recording goes on, and the user
    // hears of it once.
    if (files_.append(logPath_, line) || lossReported_)
        return;
    lossReported_ = true;
    if (lost_)
        lost_(files_.lastError());
}

void Recorder::pressHook(int index)
{
    const auto now = clock_.now();
    if (rest_.running) {
        append(EventLog::restLine(rest_.value(origin_, now)));
        rest_.zero(now);
        rest_.stop(origin_, now);
    }
    if (setCaption_)
        setCaption_("Recording:" + NumberText::toText(index));
    note_.zero(now);
    note_.start(now);
}

void Recorder::releaseHook(int index)
{
    const auto now = clock_.now();
    append(EventLog::noteLine(index, note_.value(origin_, now)));
    note_.stop(origin_, now);
    rest_.start(now);
}

void Recorder::zeroCounts()
{
    const auto now = clock_.now();
    origin_ = now;
    note_.zero(now);
    rest_.zero(now);
    lossReported_ = false;
}
