#include "logic/take/TakePlayer.h"

TakePlayer::TakePlayer(TakePlayerHost& host, Clock& clock) : host_(host), clock_(clock) {}

TakePlayer::~TakePlayer()
{
    ++*generation_;
}

bool TakePlayer::start(std::vector<TakeEvent> events)
{
    if (running_ || events.empty())
        return false;
    running_ = true;
    events_ = std::move(events);
    next_ = 0;
    left_.clear();
    start_ = clock_.now();
    scheduleNext();
    return true;
}

void TakePlayer::scheduleNext()
{
    const std::weak_ptr<std::uint64_t> alive = generation_;
    const std::uint64_t generation = *generation_;
    const Clock::Time due = start_ + std::chrono::milliseconds(events_[next_].ms);
    clock_.callAt(due, [this, alive, generation] {
        const auto current = alive.lock();
        if (current && *current == generation)
            step();
    });
}

void TakePlayer::step()
{
    const std::uint32_t now = events_[next_].ms;
    while (next_ < events_.size() && events_[next_].ms == now) {
        send(events_[next_].message);
        ++next_;
        // The host may have stopped the take while handling a message.
        if (!running_)
            return;
    }
    if (next_ < events_.size()) {
        scheduleNext();
        return;
    }
    stop();
}

void TakePlayer::send(std::uint32_t message)
{
    left_.see(message);
    host_.send(message);
}

void TakePlayer::silence()
{
    for (const std::uint32_t m : left_.releases())
        send(m);
}

void TakePlayer::stop()
{
    if (!running_)
        return;
    ++*generation_;
    running_ = false;
    silence();
    events_.clear();
    events_.shrink_to_fit();
    host_.takeEnded();
}
