#include "logic/base/IniProfile.h"

#include <gtest/gtest.h>

#include <string>

using IniProfile::value;

TEST(IniProfile, FindsAKeyOfASection)
{
    const std::string text = "[Other]\r\n0=Wrong\r\n[General MIDI]\r\n0=Acoustic Grand Piano\r\n1=Bright\r\n";
    EXPECT_EQ(value(text, "General MIDI", "0"), "Acoustic Grand Piano");
    EXPECT_EQ(value(text, "General MIDI", "1"), "Bright");
    EXPECT_EQ(value(text, "Other", "0"), "Wrong");
}

TEST(IniProfile, MissingFileSectionOrKeyGivesEmptyText)
{
    EXPECT_EQ(value("", "General MIDI", "0"), "");
    EXPECT_EQ(value("[Other]\n0=x\n", "General MIDI", "0"), "");
    EXPECT_EQ(value("[General MIDI]\n1=x\n", "General MIDI", "0"), "");
    EXPECT_EQ(value("0=outside any section\n", "General MIDI", "0"), "");
}

TEST(IniProfile, NamesMatchWithoutCaseAndSurroundingBlanks)
{
    const std::string text = "  [ general midi ]  \n   12   =   Marimba   \n";
    EXPECT_EQ(value(text, "General MIDI", " 12"), "Marimba");
    EXPECT_EQ(value(text, "GENERAL MIDI", "12 "), "Marimba");
    EXPECT_EQ(value("[S]\nKey=v\n", "s", "KEY"), "v");
}

TEST(IniProfile, FirstMatchWinsAndCommentsAreSkipped)
{
    const std::string text = "[S]\n;5=comment\n5=first\n5=second\n[S]\n5=third\n";
    EXPECT_EQ(value(text, "S", "5"), "first");
    EXPECT_EQ(value(text, "S", ";5"), "");
}

TEST(IniProfile, LongValuesAreCutAt255Characters)
{
    const std::string text = "[S]\nk=" + std::string(1000, 'x') + "\n";
    EXPECT_EQ(value(text, "S", "k"), std::string(255, 'x'));
}

TEST(IniProfile, AnyLineEndWorks)
{
    EXPECT_EQ(value("[S]\rk=cr\r", "S", "k"), "cr");
    EXPECT_EQ(value("[S]\nk=lf", "S", "k"), "lf");
    EXPECT_EQ(value("[S]\r\n\r\nk=crlf\r\n", "S", "k"), "crlf");
}

TEST(IniProfile, QuotesAroundAValueAreRemoved)
{
    EXPECT_EQ(value("[S]\nk=\"quoted\"\n", "S", "k"), "quoted");
    EXPECT_EQ(value("[S]\nk='single'\n", "S", "k"), "single");
    EXPECT_EQ(value("[S]\nk=\"open\n", "S", "k"), "\"open");
}

TEST(IniProfile, GarbageAndNulBytesAreSurvived)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    EXPECT_NO_THROW(value(garbage, "General MIDI", "0"));
    const std::string withNul = std::string("[S]\nk=ab\0cd\n", 12) + std::string("\0\0[S2]\nk=x", 10);
    EXPECT_EQ(value(withNul, "S", "k"), "ab");
    EXPECT_EQ(value("[S\nk=x\n", "S", "k"), "");  // an unclosed section header names no section
    EXPECT_EQ(value("[S]\n=novalue\nk\n", "S", "k"), "");
}
