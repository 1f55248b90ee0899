#include "logic/midi/InstrumentNames.h"

#include <gtest/gtest.h>

namespace {
std::string namesFile()
{
    std::string text = "[General MIDI]\r\n";
    for (int p = 0; p < 128; ++p)
        text += std::to_string(p) + "=Name" + std::to_string(p) + "\r\n";
    return text;
}
}  // namespace

TEST(InstrumentNames, NamesAPatchByItsNumber)
{
    const auto file = std::optional<std::string>(namesFile());
    EXPECT_EQ(InstrumentNames::name(file, 0), "Name0");
    EXPECT_EQ(InstrumentNames::name(file, 127), "Name127");
    EXPECT_EQ(InstrumentNames::name(std::nullopt, 5), "");
    EXPECT_EQ(InstrumentNames::name(std::string("[General MIDI]\n1=x\n"), 5), "");
}

TEST(InstrumentNames, EachListHoldsTwentyPatchesOneALine)
{
    const auto file = std::optional<std::string>(namesFile());
    const std::string first = InstrumentNames::listText(file, 0);
    EXPECT_EQ(first.substr(0, 30), "\n 0 - Name0\n 1 - Name1\n 2 - Na");
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 20);
    const std::string last = InstrumentNames::listText(file, 5);
    EXPECT_NE(last.find("\n 100 - Name100"), std::string::npos);
    EXPECT_NE(last.find("\n 119 - Name119"), std::string::npos);
    EXPECT_EQ(last.find("120"), std::string::npos);
    EXPECT_EQ(InstrumentNames::listText(std::nullopt, 1).substr(0, 11), "\n 20 - \n 21");
}
