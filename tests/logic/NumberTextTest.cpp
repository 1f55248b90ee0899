#include "logic/base/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using namespace NumberText;

TEST(NumberText, TextHasALeadingBlankOrMinusAndNoPointWhenIntegral)
{
    EXPECT_EQ(toText(12), " 12");
    EXPECT_EQ(toText(0), " 0");
    EXPECT_EQ(toText(-1), "-1");
    EXPECT_EQ(toText(61), " 61");
    EXPECT_EQ(toText(-32768), "-32768");
    EXPECT_EQ(toText(7.0), " 7");
    // Fractions and large values keep the form older log files carry.
    EXPECT_EQ(toText(0.5), " .5");
    EXPECT_EQ(toText(-2.25), "-2.25");
    EXPECT_EQ(toText(1e20), " 1E+20");
    EXPECT_EQ(toText(123456789012345.0), " 123456789012345");
}

TEST(NumberText, ReadsTheLongestLeadingDecimalNumber)
{
    EXPECT_EQ(fromText("12abc"), 12);
    EXPECT_EQ(fromText("   64 "), 64);
    EXPECT_EQ(fromText("\t5"), 5);
    EXPECT_EQ(fromText("-3.5"), -3.5);
    EXPECT_EQ(fromText("+7"), 7);
    EXPECT_EQ(fromText(".5"), 0.5);
    EXPECT_EQ(fromText("0.1"), 0.1);
    EXPECT_EQ(fromText("1e5"), 1);  // no exponents: a decimal number only
    EXPECT_EQ(fromText(std::string("12\0" "34", 5)), 12);
}

TEST(NumberText, TextWithoutANumberReadsAsZero)
{
    for (const char* text : {"", "abc", "-", "+", ".", " ", "-.", "S", "\r\n"})
        EXPECT_EQ(fromText(text), 0) << '"' << text << '"';
}

TEST(NumberText, HugeAndTinyNumbersDoNotBreakReading)
{
    EXPECT_EQ(fromText("99999999999999999999"), 1e20);
    const std::string manyDigits(400, '9');
    EXPECT_EQ(fromText(manyDigits), std::numeric_limits<double>::infinity());
    EXPECT_EQ(fromText("-" + manyDigits), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(fromText("0." + std::string(400, '0') + "1"), 0);
    const std::string tenMegabytes(10 << 20, '7');
    EXPECT_EQ(fromText(tenMegabytes), std::numeric_limits<double>::infinity());
}

TEST(NumberText, RoundsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
}

TEST(NumberText, SixteenBitConversionRefusesWhatDoesNotFit)
{
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(32767.5), std::nullopt);  // rounds to 32768
    EXPECT_EQ(toInt16(-32768.5), -32768);       // rounds to the even -32768
    EXPECT_EQ(toInt16(1e20), std::nullopt);
    EXPECT_EQ(toInt16(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(toInt16(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(2147483648.0), std::nullopt);
}

TEST(NumberText, SaturatingStepStopsAtTheLimits)
{
    EXPECT_EQ(saturatingAdd(32767, 1), 32767);
    EXPECT_EQ(saturatingAdd(-32768, -1), -32768);
    EXPECT_EQ(saturatingAdd(60, 1), 61);
}

TEST(NumberText, StrictNumberAcceptsOnlyANumberWithBlanksAround)
{
    EXPECT_EQ(strictNumber(" 64 "), 64);
    EXPECT_EQ(strictNumber("-1.5"), -1.5);
    EXPECT_EQ(strictNumber("+3"), 3);
    EXPECT_EQ(strictNumber("7."), 7);
    EXPECT_EQ(strictNumber(".5"), 0.5);
    for (const char* text : {"", " ", "12abc", "abc", "1.2.3", "+", "-", ".", "1 2", "1e3", "0x10"})
        EXPECT_EQ(strictNumber(text), std::nullopt) << '"' << text << '"';
}
