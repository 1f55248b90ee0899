#include "LineLimiter.h"
#include "TokenBucket.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {
using Clock = TokenBucket::Clock;
using std::chrono::milliseconds;

// The relay's flood bound and the door's send bound are one bucket: the
// burst at once, then no more than the rate over any stretch, asked at
// uneven times, with a debt from spend() paid back before anything more.
TEST(RateLimits, TheBucketGivesTheBurstThenTheRateAndPaysDebtsFirst)
{
    const Clock::time_point t0{};
    TokenBucket bucket(100, 20, t0);
    int granted = 0;
    while (bucket.take(1, t0))
        ++granted;
    EXPECT_EQ(granted, 20);

    Clock::time_point now = t0;
    for (int i = 0; i < 10000; ++i) {  // 10 s in steps of 0.3 to 1.7 ms
        now += std::chrono::microseconds(300 + (i * 7919) % 1400);
        if (bucket.take(1, now))
            ++granted;
    }
    const double seconds = std::chrono::duration<double>(now - t0).count();
    EXPECT_LE(granted, 20 + 100 * seconds);
    EXPECT_GE(granted, 100 * seconds - 1);

    bucket.spend(50);  // half a second owed
    EXPECT_FALSE(bucket.take(1, now + milliseconds(400)));
    EXPECT_TRUE(bucket.take(1, now + milliseconds(520)));
}

TEST(RateLimits, LinesLeftOutAreCountedAndToldOnceASecondHasPassed)
{
    const Clock::time_point t0{};
    LineLimiter log(2, 3, t0);
    int written = 0;
    for (int i = 0; i < 10; ++i)
        written += log.admit(t0 + milliseconds(i)) ? 1 : 0;
    EXPECT_EQ(written, 3);
    EXPECT_TRUE(log.leavingOut());
    EXPECT_EQ(log.leftOutLine(t0 + milliseconds(900)), std::nullopt);
    EXPECT_EQ(log.leftOutLine(t0 + milliseconds(1004)), "(7 lines on connections left out of the log)");
    EXPECT_FALSE(log.leavingOut());
    EXPECT_EQ(log.leftOutLine(t0 + milliseconds(3000)), std::nullopt);
    EXPECT_TRUE(log.admit(t0 + milliseconds(3000)));
}
}  // namespace
