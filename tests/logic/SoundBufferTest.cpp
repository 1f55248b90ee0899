#include "logic/midi/SoundBuffer.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
const SoundBuffer::Clock::time_point t0{};
}

// Grown by underruns up to its bound, a buffer comes back to its start once
// the sound runs steady, a step per steady stretch, and never below it.
TEST(SoundBuffer, GrowsAtUnderrunsAndComesBackAfterSteadySound)
{
    SoundBuffer b(256, 64, 960, t0, 20s);
    EXPECT_FALSE(b.playing(t0 + 1h));  // at its start it stays
    EXPECT_TRUE(b.underrun(t0 + 1s));
    EXPECT_TRUE(b.underrun(t0 + 2s));
    EXPECT_TRUE(b.underrun(t0 + 3s));
    EXPECT_EQ(b.frames(), 896u);
    EXPECT_TRUE(b.underrun(t0 + 4s));
    EXPECT_TRUE(b.atLargest());
    EXPECT_EQ(b.frames(), 960u);
    EXPECT_FALSE(b.underrun(t0 + 5s));

    EXPECT_FALSE(b.playing(t0 + 24s));  // not steady for long enough yet
    std::uint32_t last = b.frames();
    auto at = t0 + 25s;
    while (b.playing(at)) {
        EXPECT_LT(b.frames(), last);
        EXPECT_EQ(b.frames() % 64, 0u);
        last = b.frames();
        EXPECT_FALSE(b.playing(at + 19s));
        at += 20s;
    }
    EXPECT_EQ(b.frames(), 256u);
}

// A smaller size that soon fails again is tried after twice as long each
// time, up to a bound; a size that held leaves the wait as it was.
TEST(SoundBuffer, ASizeThatFailsAgainIsTriedLessOften)
{
    SoundBuffer b(256, 64, 960, t0, 20s);
    b.underrun(t0);
    ASSERT_TRUE(b.playing(t0 + 20s));
    b.underrun(t0 + 21s);
    EXPECT_EQ(b.steadyBeforeShrinking(), 40s);
    EXPECT_FALSE(b.playing(t0 + 60s));
    ASSERT_TRUE(b.playing(t0 + 61s));
    b.underrun(t0 + 62s);
    EXPECT_EQ(b.steadyBeforeShrinking(), 80s);
    for (int i = 0; i < 20; ++i) {
        const auto shrunk = t0 + 1h * (i + 1);
        ASSERT_TRUE(b.playing(shrunk));
        b.underrun(shrunk + 1s);
    }
    EXPECT_EQ(b.steadyBeforeShrinking(), 10min);
    // An underrun long after the last shrink: that size held.
    ASSERT_TRUE(b.playing(t0 + 30h));
    b.underrun(t0 + 31h);
    EXPECT_EQ(b.steadyBeforeShrinking(), 10min);
}
