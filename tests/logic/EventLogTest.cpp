#include "support/ManualClock.h"
#include "logic/commandline/CommandLine.h"
#include "logic/recording/EventLog.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(EventLog, LinesAreTagSeparatorCountAndCrLf)
{
    EXPECT_EQ(EventLog::noteLine(12, 34), "12: 34\r\n");
    EXPECT_EQ(EventLog::noteLine(-1, 20), "-1: 20\r\n");
    EXPECT_EQ(EventLog::restLine(7), "S: 7\r\n");
    EXPECT_EQ(EventLog::restLine(0), "S: 0\r\n");
}

TEST(EventLog, ParsingSplitsAtColonBlank)
{
    auto l = EventLog::parse("12: 34");
    EXPECT_FALSE(l.rest);
    EXPECT_EQ(l.tag, "12");
    EXPECT_EQ(l.index, 12);
    EXPECT_EQ(l.count, "34");
    l = EventLog::parse("S: 7");
    EXPECT_TRUE(l.rest);
    EXPECT_EQ(l.count, "7");
    EXPECT_TRUE(EventLog::parse("").empty);
    l = EventLog::parse("s: 7");  // the rest tag is case-sensitive
    EXPECT_FALSE(l.rest);
    EXPECT_EQ(l.index, std::nullopt);
    l = EventLog::parse("12:34");  // no separator: no count
    EXPECT_EQ(l.tag, "12:34");
    EXPECT_EQ(l.count, std::nullopt);
    l = EventLog::parse("5: 6: 7");
    EXPECT_EQ(l.count, "6");
    EXPECT_EQ(EventLog::parse("99999: 1").index, std::nullopt);  // no 16-bit index
    EXPECT_EQ(EventLog::parse("-1: 1").index, -1);
}

TEST(EventLog, WaitIsCountTimesTenTimesMultiplierPlusTempo)
{
    EXPECT_EQ(EventLog::waitMs("34", "1", 0), 340);
    EXPECT_EQ(EventLog::waitMs("34", "2", 50), 730);
    EXPECT_EQ(EventLog::waitMs("7", "2", 50), 190);
    EXPECT_EQ(EventLog::waitMs("0.25", "1", 0), 2);    // 2.5 rounds to even
    EXPECT_EQ(EventLog::waitMs("0.35", "1", 0), 4);    // 3.5 rounds to even
    EXPECT_EQ(EventLog::waitMs("1", "1", -50), 0);     // negative: no wait
    EXPECT_EQ(EventLog::waitMs("1", "", 0), std::nullopt);     // multiplier not a number
    EXPECT_EQ(EventLog::waitMs("1", "x", 0), std::nullopt);
    EXPECT_EQ(EventLog::waitMs("abc", "1", 0), std::nullopt);
    EXPECT_EQ(EventLog::waitMs(std::nullopt, "1", 0), std::nullopt);
    EXPECT_EQ(EventLog::waitMs("300000000", "1", 0), std::nullopt);  // beyond 32 bits
    EXPECT_EQ(EventLog::waitMs(std::string(5000, '9'), "1", 0), std::nullopt);
}

TEST(CommandLine, TakesOnePathWithOrWithoutQuotes)
{
    EXPECT_EQ(CommandLine::sequenceFile({"\"/home/a b/tune.mus\""}), "/home/a b/tune.mus");
    EXPECT_EQ(CommandLine::sequenceFile({"/home/a/tune.mus"}), "/home/a/tune.mus");
    EXPECT_EQ(CommandLine::sequenceFile({"/home/a", "b/tune.mus"}), "/home/a b/tune.mus");
    EXPECT_EQ(CommandLine::sequenceFile({"/home/a/TUNE.MUS"}), std::nullopt);
    EXPECT_EQ(CommandLine::sequenceFile({}), std::nullopt);
    EXPECT_EQ(CommandLine::sequenceFile({"\""}), std::nullopt);
    EXPECT_EQ(CommandLine::sequenceFile({".mus"}), ".mus");
}

TEST(CommandLine, OptionsComeFirstAndAreNamedWhenUnknown)
{
    using Kind = CommandLine::Request::Kind;
    EXPECT_EQ(CommandLine::parse({"--help"}).kind, Kind::Help);
    EXPECT_EQ(CommandLine::parse({"-h", "--bogus"}).kind, Kind::Help);
    EXPECT_EQ(CommandLine::parse({"-v"}).kind, Kind::Version);
    const auto wrong = CommandLine::parse({"--bogus", "tune.mus"});
    EXPECT_EQ(wrong.kind, Kind::Wrong);
    EXPECT_EQ(wrong.problem, "unknown option '--bogus'");
    // After "--", and after the file, everything is the file.
    EXPECT_EQ(CommandLine::parse({"--", "-odd.mus"}).file, "-odd.mus");
    EXPECT_EQ(CommandLine::parse({"/home/a", "-b.mus"}).file, "/home/a -b.mus");
    EXPECT_EQ(CommandLine::parse({}).file, std::nullopt);
    EXPECT_EQ(CommandLine::parse({"-"}).file, "-");
}

TEST(EventLog, AFileHoldsLogLinesWhenOneLineIsANoteOrARest)
{
    EXPECT_TRUE(EventLog::holdsLogLines("12: 34\r\n"));
    EXPECT_TRUE(EventLog::holdsLogLines("junk\r\nS: 7"));
    EXPECT_FALSE(EventLog::holdsLogLines(""));
    EXPECT_FALSE(EventLog::holdsLogLines("#E.\xe9Lj:\x01\r\nx: 3\r\n12:34\r\n12: \r\n"));
}

TEST(ManualClock, RunsTasksInTimeOrderAsTimeMoves)
{
    ManualClock clock;
    const auto t0 = clock.now();
    std::vector<int> order;
    clock.callAt(t0 + 20ms, [&] { order.push_back(2); });
    clock.callAt(t0 + 10ms, [&] {
        order.push_back(1);
        clock.callAt(clock.now() + 5ms, [&] { order.push_back(15); });
    });
    clock.advance(9ms);
    EXPECT_TRUE(order.empty());
    clock.advance(11ms);
    EXPECT_EQ(order, (std::vector<int>{1, 15, 2}));
    EXPECT_EQ(clock.now(), t0 + 20ms);
    clock.callAt(t0, [&] { order.push_back(0); });  // a time past runs at once
    EXPECT_TRUE(clock.runNext());
    EXPECT_EQ(order.back(), 0);
    EXPECT_FALSE(clock.runNext());
}
