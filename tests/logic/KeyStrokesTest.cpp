// What reaches the note handling of a held key, whatever the window system
// does with it.
#include "logic/keyboard/KeyRepeatFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct Strokes {
    std::vector<std::string> seen;
    KeyRepeatFilter filter{[this](int c) { seen.push_back("down " + std::to_string(c)); },
                           [this](int c) { seen.push_back("up " + std::to_string(c)); }};
    void press(std::uint32_t key, std::uint64_t time, bool flagged = false) { filter.press({key, time, flagged, int(key)}); }
    void release(std::uint32_t key, std::uint64_t time, bool flagged = false) { filter.release({key, time, flagged, int(key)}); }
};
using Seen = std::vector<std::string>;
}  // namespace

TEST(KeyRepeatFilter, AHeldKeyIsOnePressAndOneReleaseWhateverTheRepeatsLookLike)
{
    Strokes s;
    s.press(52, 100);
    s.press(52, 760);        // detectable auto-repeat: presses only
    s.release(52, 800, true);  // a pair the toolkit marked
    s.press(52, 800, true);
    s.press(53, 810);        // a chord while it is held
    s.release(52, 3000);
    s.release(53, 3010);
    EXPECT_EQ(s.seen, (Seen{"down 52", "down 53", "up 52", "up 53"}));
    s.press(52, 4000);  // the next stroke is a press again
    EXPECT_EQ(s.seen.back(), "down 52");
}

TEST(KeyRepeatFilter, WithPairingAReleaseAndPressOfOneKeyAtOneTimeAreARepeat)
{
    Strokes s;
    s.filter.setPairReleases(true);
    s.press(52, 100);
    s.release(52, 760);  // unmarked repeat pair: held back, then taken back
    EXPECT_TRUE(s.filter.hasPending());
    s.press(52, 760);
    EXPECT_FALSE(s.filter.hasPending());
    s.release(52, 800);
    s.press(53, 800);  // another key: the release was real, and comes first
    s.release(53, 900);
    EXPECT_TRUE(s.filter.flush());
    EXPECT_EQ(s.seen, (Seen{"down 52", "up 52", "down 53", "up 53"}));
    // Leaving the window forgets what is held; a release held back still goes out.
    s.press(54, 1000);
    s.release(54, 1100);
    s.filter.forgetHeld();
    s.press(54, 1200);
    EXPECT_EQ(s.seen, (Seen{"down 52", "up 52", "down 53", "up 53", "down 54", "up 54", "down 54"}));
}
