#include "logic/midi/SoundBuffer.h"

#include <algorithm>

namespace {
// However often a smaller size fails, it is tried again at least this often.
constexpr SoundBuffer::Clock::duration longestWait = std::chrono::minutes(10);
}  // namespace

SoundBuffer::SoundBuffer(std::uint32_t startFrames, std::uint32_t stepFrames, std::uint32_t maxFrames,
                         Clock::time_point now, Clock::duration steadyBeforeShrinking)
    : start_(startFrames),
      step_(std::max<std::uint32_t>(1, stepFrames)),
      max_(std::max(startFrames, maxFrames)),
      frames_(startFrames),
      changed_(now),
      steady_(steadyBeforeShrinking)
{
}

bool SoundBuffer::underrun(Clock::time_point now)
{
    // The size just tried did not hold: try it again only after longer.
    if (shrunk_ && now - changed_ < steady_)
        steady_ = std::min<Clock::duration>(steady_ * 2, longestWait);
    shrunk_ = false;
    changed_ = now;
    if (frames_ >= max_)
        return false;
    // Half as large again, in whole steps.
    const std::uint32_t grown = (frames_ * 3 / 2 + step_ - 1) / step_ * step_;
    frames_ = std::min(max_, grown);
    return true;
}

bool SoundBuffer::playing(Clock::time_point now)
{
    if (frames_ <= start_ || now - changed_ < steady_)
        return false;
    // The step back of a growth, in whole steps, never below the start.
    frames_ = std::max(start_, frames_ * 2 / 3 / step_ * step_);
    changed_ = now;
    shrunk_ = true;
    return true;
}
