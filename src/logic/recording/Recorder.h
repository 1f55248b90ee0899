#pragma once

#include "logic/base/Clock.h"

#include <functional>
#include <string>

class Files;

// Writes what is played into the event log while Record is on: a note line
// at each release with how long the key was held, a rest line at each press
// with how long it was silent. Lengths are counts of 10 ms on the clock,
// each event rounded to the nearest step of one grid from the recording's start.
class Recorder {
public:
    Recorder(Clock& clock, Files& files, std::string logPath, std::function<void(const std::string&)> setCaption);

    void pressHook(int index);
    void releaseHook(int index);
    // Also starts a new recording as far as reporting lost lines goes.
    void zeroCounts();

    // Called with the reason when a line cannot be written, once per
    // recording (until the counts are zeroed by Record or Clear).
    void setLostLineHandler(std::function<void(const std::string& reason)> handler) { lost_ = std::move(handler); }

    // The two counts and whether each is running (the design's timeX and time2X).
    double noteCount() const { return note_.value(origin_, clock_.now()); }
    double restCount() const { return rest_.value(origin_, clock_.now()); }
    bool timeX() const { return note_.running; }
    bool time2X() const { return rest_.running; }

    static constexpr auto tick = std::chrono::milliseconds(10);

private:
    struct Count {
        bool running = false;
        double base = 0;
        Clock::Time since{};
        double value(Clock::Time origin, Clock::Time now) const;
        void start(Clock::Time now);
        void stop(Clock::Time origin, Clock::Time now);
        void zero(Clock::Time now);
    };

    void append(const std::string& line);

    Clock& clock_;
    Files& files_;
    std::string logPath_;
    std::function<void(const std::string&)> setCaption_;
    // The start of the grid that every event's time is rounded on.
    Clock::Time origin_;
    Count note_;
    Count rest_;
    std::function<void(const std::string&)> lost_;
    bool lossReported_ = false;
};
