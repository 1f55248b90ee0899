#include "logic/settings/SettingsFile.h"

#include <gtest/gtest.h>

using SettingsFile::keyboardSettings;

TEST(SettingsFile, WithoutAFileTheDefaultsApply)
{
    const auto s = keyboardSettings(std::nullopt);
    EXPECT_EQ(s.midiChannel, 0);
    EXPECT_EQ(s.baseNote, 59);
    EXPECT_EQ(s.times, "");
    EXPECT_EQ(s.delayMin, 0);
    EXPECT_EQ(s.delayMax, 0);
    EXPECT_EQ(s.delayValue, 0);
    EXPECT_EQ(s.tempo, 0);
}

TEST(SettingsFile, TheShippedSixLines)
{
    const auto s = keyboardSettings(std::string("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n"));
    EXPECT_EQ(s.midiChannel, 0);
    EXPECT_EQ(s.baseNote, 60);
    EXPECT_EQ(s.times, "1");
    EXPECT_EQ(s.delayMin, 0);
    EXPECT_EQ(s.delayMax, 100);
    EXPECT_EQ(s.delayValue, 0);
    EXPECT_EQ(s.tempo, 0);
}

TEST(SettingsFile, LineEndsOfEveryKindAndNoneAtAll)
{
    EXPECT_EQ(keyboardSettings(std::string("3\n64\n2\n10\n200\n50\n")).tempo, 50);
    EXPECT_EQ(keyboardSettings(std::string("3\r64\r2\r10\r200\r50")).tempo, 50);
    const auto oneLine = keyboardSettings(std::string("5"));
    EXPECT_EQ(oneLine.midiChannel, 5);
    EXPECT_EQ(oneLine.baseNote, 59);  // a missing line leaves the value as it was
    EXPECT_EQ(oneLine.times, "");
}

TEST(SettingsFile, TimesIsKeptAsTextAndOnlySixLinesCount)
{
    const auto s = keyboardSettings(std::string("0\r\n60\r\n 1.5x \r\n0\r\n100\r\n7\r\n99\r\n"));
    EXPECT_EQ(s.times, " 1.5x ");
    EXPECT_EQ(s.tempo, 7);
}

TEST(SettingsFile, GarbageHugeNumbersAndNulBytesAreSurvived)
{
    const auto huge = keyboardSettings(std::string("99999999\r\n1e400\r\n1\r\n-99999\r\n40000\r\n32768\r\n"));
    EXPECT_EQ(huge.midiChannel, 0);  // does not fit 16 bits: left as it was
    EXPECT_EQ(huge.baseNote, 1);     // "1e400" reads as 1
    EXPECT_EQ(huge.delayMin, 0);
    EXPECT_EQ(huge.delayMax, 0);
    EXPECT_EQ(huge.tempo, 0);

    const auto withNul = keyboardSettings(std::string("\0" "7\r\n6\0" "2\r\n", 8));
    EXPECT_EQ(withNul.midiChannel, 0);
    EXPECT_EQ(withNul.baseNote, 6);

    const auto words = keyboardSettings(std::string("channel\r\nbase\r\n"));
    EXPECT_EQ(words.midiChannel, 0);
    EXPECT_EQ(words.baseNote, 0);  // present but not a number: reads as 0
}

TEST(SettingsFile, SerializeWritesSixCrLfLines)
{
    EXPECT_EQ(SettingsFile::serialize({"0", "60", "1", "0", "100", "0"}), "0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
}
