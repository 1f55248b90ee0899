#pragma once

#include <chrono>
#include <functional>

// Where the recorder and the player take their time from, and how the player
// waits: a task handed to callAt runs once, on the window's thread, when
// now() has reached its time.
class Clock {
public:
    using Time = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~Clock() = default;
    virtual Time now() const = 0;
    virtual void callAt(Time when, std::function<void()> task) = 0;
};
