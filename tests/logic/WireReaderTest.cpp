// What reaches the window of the messages from the play server, whatever the
// network does with them, and the server address the Connect box takes.
#include "logic/net/ServerAddress.h"
#include "logic/net/WireFormat.h"
#include "logic/net/WireReader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

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
