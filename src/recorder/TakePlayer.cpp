#include "recorder/TakePlayer.h"

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
    on_ = {};
    pedal_.reset();
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
    const std::uint32_t kind = message & 0xF0, channel = message & 0x0F;
    const std::uint32_t d1 = (message >> 8) & 0x7F, d2 = (message >> 16) & 0x7F;
    if (kind == 0x90)
        on_[channel][d1] = d2 != 0;
    else if (kind == 0x80)
        on_[channel][d1] = false;
    else if (kind == 0xB0 && d1 == 64)
        pedal_[channel] = d2 >= 64;
    host_.send(message);
}

void TakePlayer::silence()
{
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        for (std::uint32_t note = 0; note < 128; ++note)
            if (on_[channel][note])
                send(0x80 | channel | (note << 8));
        if (pedal_[channel])
            send(0xB0 | channel | (64 << 8));
    }
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
