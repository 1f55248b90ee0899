#include "logic/recording/Player.h"

#include "logic/recording/EventLog.h"

#include <string_view>

Player::Player(PlayerHost& host, Clock& clock) : host_(host), clock_(clock) {}

Player::~Player() = default;

bool Player::start(std::string log)
{
    if (running_)
        return false;
    running_ = true;
    log_ = std::move(log);
    position_ = 0;
    deadline_ = clock_.now();
    noteSounding_ = false;
    ++*generation_;
    nextLine();
    return true;
}

void Player::stop()
{
    if (!running_)
        return;
    if (noteSounding_)
        host_.NoteOff(sounding_);
    finish();
}

void Player::finish()
{
    running_ = false;
    noteSounding_ = false;
    ++*generation_;
    log_.clear();
    log_.shrink_to_fit();
}

void Player::schedule(const std::optional<std::int64_t>& waitMs, void (Player::*step)())
{
    // A skipped wait still lets the window run before the next step.
    if (waitMs)
        deadline_ += std::chrono::milliseconds(*waitMs);
    const auto when = waitMs ? deadline_ : clock_.now();
    const std::weak_ptr<std::uint64_t> token = generation_;
    clock_.callAt(when, [this, token, generation = *generation_, step] {
        const auto current = token.lock();
        if (current && *current == generation && running_)
            (this->*step)();
    });
}

void Player::nextLine()
{
    while (position_ < log_.size()) {
        const std::string_view all(log_);
        const auto end = all.find_first_of("\r\n", position_);
        const auto stop = end == std::string_view::npos ? all.size() : end;
        const auto line = EventLog::parse(all.substr(position_, stop - position_));
        position_ = stop;
        if (position_ < all.size() && all[position_] == '\r')
            ++position_;
        if (position_ < all.size() && all[position_] == '\n')
            ++position_;
        if (line.empty)
            continue;
        const auto wait = EventLog::waitMs(line.count, host_.timesText(), host_.tempoValue());
        if (line.rest) {
            schedule(wait, &Player::nextLine);
            return;
        }
        host_.setCaption("Playing: " + line.tag);
        if (line.index) {
            sounding_ = *line.index;
            noteSounding_ = true;
            host_.NoteOn(sounding_);
        }
        schedule(wait, &Player::endNote);
        return;
    }
    finish();
}

void Player::endNote()
{
    if (noteSounding_) {
        noteSounding_ = false;
        host_.NoteOff(sounding_);
    }
    nextLine();
}
