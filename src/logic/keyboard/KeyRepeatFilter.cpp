#include "logic/keyboard/KeyRepeatFilter.h"

#include <algorithm>

KeyRepeatFilter::KeyRepeatFilter(std::function<void(int)> down, std::function<void(int)> up)
    : down_(std::move(down)), up_(std::move(up))
{
}

bool KeyRepeatFilter::isHeld(std::uint32_t key) const
{
    return std::find(held_.begin(), held_.end(), key) != held_.end();
}

void KeyRepeatFilter::unhold(std::uint32_t key)
{
    held_.erase(std::remove(held_.begin(), held_.end(), key), held_.end());
}

void KeyRepeatFilter::press(const Stroke& s)
{
    if (pending_ && pending_->key == s.key && pending_->time == s.time) {
        // The release just before was the first half of an auto-repeat.
        pending_.reset();
        return;
    }
    flush();
    if (s.flaggedRepeat || isHeld(s.key))
        return;
    held_.push_back(s.key);
    down_(s.code);
}

void KeyRepeatFilter::release(const Stroke& s)
{
    if (s.flaggedRepeat)
        return;
    flush();
    if (pairReleases_ && isHeld(s.key)) {
        pending_ = s;
        return;
    }
    unhold(s.key);
    up_(s.code);
}

bool KeyRepeatFilter::flush()
{
    if (!pending_)
        return false;
    const Stroke s = *pending_;
    pending_.reset();
    unhold(s.key);
    up_(s.code);
    return true;
}

void KeyRepeatFilter::forgetHeld()
{
    flush();
    held_.clear();
}

void KeyRepeatFilter::muteHeld(std::uint32_t except)
{
    flush();
    for (std::uint32_t key : held_)
        if (key != except)
            muted_.push_back(Muted{key, std::nullopt});
    held_.clear();
}

bool KeyRepeatFilter::muted(const Stroke& s, bool isRelease)
{
    const auto it = std::find_if(muted_.begin(), muted_.end(), [&](const Muted& m) { return m.key == s.key; });
    if (it == muted_.end())
        return false;
    if (isRelease) {
        if (!s.flaggedRepeat)
            it->releasedAt = s.time;
        return true;
    }
    // A press after a release is a new stroke, unless it carries the
    // release's own timestamp (plain X auto-repeat sends such pairs).
    if (it->releasedAt && *it->releasedAt != s.time) {
        muted_.erase(it);
        return false;
    }
    return true;
}
