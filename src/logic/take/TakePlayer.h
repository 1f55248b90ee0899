#pragma once

#include "logic/base/Clock.h"
#include "logic/take/LeftOn.h"
#include "logic/take/Take.h"

#include <cstdint>
#include <memory>
#include <vector>

// Where a replayed take goes: each message as it comes, then the end.
class TakePlayerHost {
public:
    virtual ~TakePlayerHost() = default;
    virtual void send(std::uint32_t message) = 0;
    // The take has ended or was stopped; every note is off again.
    virtual void takeEnded() {}
};

// Replays a take as a step machine on the clock: every message is due at the
// take's start plus its own time, so waits never add up and there is no
// drift however long the take. Messages due at one millisecond go together.
class TakePlayer {
public:
    TakePlayer(TakePlayerHost& host, Clock& clock);
    ~TakePlayer();

    // False (and nothing happens) while a take plays or when it is empty.
    bool start(std::vector<TakeEvent> events);
    // Ends at once: the notes still on are released, the pedal let up.
    void stop();
    bool running() const { return running_; }

private:
    void scheduleNext();
    void step();
    void send(std::uint32_t message);
    void silence();

    TakePlayerHost& host_;
    Clock& clock_;
    bool running_ = false;
    std::shared_ptr<std::uint64_t> generation_ = std::make_shared<std::uint64_t>(0);
    std::vector<TakeEvent> events_;
    std::size_t next_ = 0;
    Clock::Time start_{};
    LeftOn left_;
};
