#include "recorder/Recorder.h"

#include "app/Files.h"
#include "app/NumberText.h"
#include "recorder/EventLog.h"


double Recorder::Count::value(Clock::Time now) const
{
    if (!running)
        return base;
    // Whole counts only: integer division of the elapsed time.
    const auto elapsed = now - since;
    return base + static_cast<double>(elapsed < Clock::Duration::zero() ? 0 : elapsed / tick);
}

void Recorder::Count::start(Clock::Time now)
{
    if (!running) {
        running = true;
        since = now;
    }
}

void Recorder::Count::stop(Clock::Time now)
{
    base = value(now);
    running = false;
}

void Recorder::Count::zero(Clock::Time now)
{
    base = 0;
    since = now;
}

Recorder::Recorder(Clock& clock, Files& files, std::string logPath, std::function<void(const std::string&)> setCaption)
    : clock_(clock), files_(files), logPath_(std::move(logPath)), setCaption_(std::move(setCaption))
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
        append(EventLog::restLine(rest_.value(now)));
        rest_.zero(now);
        rest_.stop(now);
    }
    if (setCaption_)
        setCaption_("Recording:" + NumberText::toText(index));
    note_.zero(now);
    note_.start(now);
}

void Recorder::releaseHook(int index)
{
    const auto now = clock_.now();
    append(EventLog::noteLine(index, note_.value(now)));
    note_.stop(now);
    rest_.start(now);
}

void Recorder::zeroCounts()
{
    const auto now = clock_.now();
    note_.zero(now);
    rest_.zero(now);
    lossReported_ = false;
}
