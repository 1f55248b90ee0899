#include "logic/colour/ColourFiles.h"

#include <gtest/gtest.h>

using namespace ColourFiles;

TEST(SkinFile, TwoNumbersWithOrWithoutBlanks)
{
    for (const char* text : {" 255 \r\n 65280 \r\n", "255\r\n65280\r\n", "255\n65280", "  255abc\r\n65280.4\r\n"}) {
        const Skin skin = parseSkin(text);
        EXPECT_EQ(skin.background, 255) << text;
        EXPECT_EQ(skin.layer, 65280) << text;
    }
    EXPECT_EQ(parseSkin(" 255 \r\n 0 \r\n").backgroundText, " 255 ");
    EXPECT_EQ(parseSkin("-2147483643 \r\n 1.5 \r\n").background, -2147483643);
    EXPECT_EQ(parseSkin("0\r\n 2.5 \r\n").layer, 2);  // ties to even
}

TEST(SkinFile, MissingLinesAndGarbageReadAsZero)
{
    const Skin oneLine = parseSkin(" 255 \r\n");
    EXPECT_EQ(oneLine.background, 255);
    EXPECT_EQ(oneLine.layer, 0);
    const Skin words = parseSkin("red\r\ngreen\r\n");
    EXPECT_EQ(words.background, 0);
    EXPECT_EQ(words.layer, 0);
    EXPECT_EQ(parseSkin("").backgroundText, "");
    // Too large for 32 bits: no colour at all, rather than a wrapped one.
    const Skin huge = parseSkin("99999999999\r\n1e3\r\n");
    EXPECT_EQ(huge.background, std::nullopt);
    EXPECT_EQ(huge.layer, 1);
}

TEST(SkinFile, WritesEachNumberBetweenBlanks)
{
    EXPECT_EQ(serializeSkin(255, 65280), " 255 \r\n 65280 \r\n");
    EXPECT_EQ(serializeSkin(-2147483643, 0), "-2147483643 \r\n 0 \r\n");
}

TEST(UserColourFile, WrittenFreshItHas225LinesAndReadsBackTheSame)
{
    UserColours colours{};
    colours[0] = 7;
    colours[5] = 0xFF00FF;
    colours[224] = -2147483643;
    const std::string text = serializeUserColours(colours);
    std::size_t lines = 0;
    for (std::size_t i = 0; (i = text.find("\r\n", i)) != std::string::npos; i += 2)
        ++lines;
    EXPECT_EQ(lines, 225u);
    EXPECT_EQ(text.substr(0, 12), " 7 \r\n 0 \r\n 0");
    EXPECT_EQ(parseUserColours(text), colours);
    EXPECT_EQ(serializeUserColours(parseUserColours(text)), text);
}

TEST(UserColourFile, MissingShortAndGarbageFiles)
{
    const UserColours none = parseUserColours(std::nullopt);
    for (const std::int32_t c : none)
        ASSERT_EQ(c, 0);
    EXPECT_EQ(parseUserColours(std::string()), none);

    // After the last line, every entry is 0.
    const UserColours shortFile = parseUserColours(std::string("1\r\n 255 \r\n65280"));
    EXPECT_EQ(shortFile[0], 1);
    EXPECT_EQ(shortFile[1], 255);
    EXPECT_EQ(shortFile[2], 65280);
    EXPECT_EQ(shortFile[3], 0);
    EXPECT_EQ(shortFile[224], 0);

    const UserColours garbage = parseUserColours(std::string("blue\r\n12\r\n\r\n99999999999\r\n"));
    EXPECT_EQ(garbage[0], 0);
    EXPECT_EQ(garbage[1], 12);
    EXPECT_EQ(garbage[2], 0);
    EXPECT_EQ(garbage[3], 0);
    EXPECT_EQ(garbage[224], 0);
}
