#pragma once

#include "logic/base/Clock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// What replay needs of the main window.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void NoteOn(int index) = 0;
    virtual void NoteOff(int index) = 0;
    // Read at every wait, so changes apply to a running replay.
    virtual std::string timesText() const = 0;
    virtual std::int16_t tempoValue() const = 0;
};

// Replays an event log line by line through NoteOn and NoteOff, as a step
// machine on the window's thread: each wait is a task on the clock, so the
// window keeps working between steps. Every wait ends at a deadline counted
// from where the previous one ended, so time spent between steps does not add up.
class Player {
public:
    Player(PlayerHost& host, Clock& clock);
    ~Player();

    // Starts replaying log; false (and nothing happens) while a replay runs.
    bool start(std::string log);
    // Ends a running replay now, releasing the note that sounds.
    void stop();
    bool running() const { return running_; }

private:
    void nextLine();
    void schedule(const std::optional<std::int64_t>& waitMs, void (Player::*step)());
    void endNote();
    void finish();

    PlayerHost& host_;
    Clock& clock_;
    bool running_ = false;
    // Bumped whenever pending steps must not run any more; they hold it weakly,
    // so a step that outlives the player does nothing.
    std::shared_ptr<std::uint64_t> generation_ = std::make_shared<std::uint64_t>(0);
    std::string log_;
    std::size_t position_ = 0;
    Clock::Time deadline_{};
    int sounding_ = -1;
    bool noteSounding_ = false;
};
