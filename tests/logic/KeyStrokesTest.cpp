// What reaches the note handling of a held key and of messages from the play
// server, whatever the window system and the network do with them.
#include "midi/KeyRepeatFilter.h"
#include "net/ServerAddress.h"
#include "net/WireFormat.h"
#include "net/WireReader.h"

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

TEST(WireReader, ArrivalsAreCutAtCrLfAndPiecesJoinedAgain)
{
    WireReader r;
    // A chord whose messages travelled together, then a note and a chat line.
    EXPECT_EQ(r.take("0\r\n4\r\n7\r\n"), (std::vector<std::string>{"0", "4", "7"}));
    EXPECT_EQ(r.take("12\r\n:bob: hi\r\n"), (std::vector<std::string>{"12", ":bob: hi"}));
    // Split across arrivals, at any byte, the CR LF included.
    EXPECT_TRUE(r.take(":alice: hel").empty());
    EXPECT_TRUE(r.take("lo\r").empty());
    EXPECT_EQ(r.take("\n1"), (std::vector<std::string>{":alice: hello"}));
    EXPECT_EQ(r.take("5\r\n"), (std::vector<std::string>{"15"}));
    // What Velorin sends reads back as sent.
    EXPECT_EQ(r.take(WireFormat::keyPress(-1) + WireFormat::chatLine("pc", "a: b") + WireFormat::joinNotice("h")),
              (std::vector<std::string>{"-1", ":pc: a: b", ": Connected to the Server with IP: h"}));
}

TEST(WireReader, APeerThatSendsNoCrLfIsReadOneArrivalOneMessage)
{
    WireReader r;
    EXPECT_EQ(r.take("12"), (std::vector<std::string>{"12"}));
    EXPECT_EQ(r.take("12:bob: hi"), (std::vector<std::string>{"12:bob: hi"}));
    EXPECT_FALSE(r.framed());
    // Once CR LF has come, a line that never ends is handed over at the bound.
    r.take("1\r\n");
    EXPECT_TRUE(r.take(std::string(WireReader::maxWaiting, '7')).empty());
    EXPECT_EQ(r.take("7").size(), 1u);
    r.reset();
    EXPECT_EQ(r.take("3"), (std::vector<std::string>{"3"}));
}

TEST(ServerAddress, TheBoxTakesAHostWithOrWithoutItsPort)
{
    const auto read = [](std::string_view typed) {
        const auto a = ServerAddress::parse(typed);
        return a ? a->host + " " + std::to_string(a->port) : std::string("none");
    };
    EXPECT_EQ(read("10.0.0.5"), "10.0.0.5 9352");
    EXPECT_EQ(read(" relay.example.org:9400 "), "relay.example.org 9400");
    EXPECT_EQ(read("[::1]:65535"), "::1 65535");
    EXPECT_EQ(read("[fe80::1%eth0]"), "fe80::1%eth0 9352");
    EXPECT_EQ(read("::1"), "::1 9352");  // colons and no brackets: all of it is the address
    EXPECT_EQ(read("host:"), "host 9352");
    for (const char* bad : {"", "  ", "host:0", "host:65536", "host:12ab", "host:-1", ":9400", "[::1", "[]:9400",
                            "[::1]9400", "host:0000009352"})
        EXPECT_EQ(read(bad), "none") << bad;
}
