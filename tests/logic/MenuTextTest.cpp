#include "logic/menus/MenuText.h"
#include "logic/menus/ShortcutFile.h"

#include <gtest/gtest.h>

using namespace MenuText;

TEST(MenuText, TextSplitsIntoCaptionAndShortcutAtTheFirstTab)
{
    auto s = splitAtTab("&Save\tCtrl+S");
    EXPECT_EQ(s.caption, "&Save");
    EXPECT_EQ(s.shortcut, "Ctrl+S");
    s = splitAtTab("Clear playlist");
    EXPECT_EQ(s.caption, "Clear playlist");
    EXPECT_EQ(s.shortcut, "");
    s = splitAtTab(std::string("A\0b\tF1\tx", 8));
    EXPECT_EQ(s.caption, "Ab");
    EXPECT_EQ(s.shortcut, "F1\tx");
}

TEST(MenuText, TheAcceleratorCharacterFollowsTheFirstSingleAmpersand)
{
    EXPECT_EQ(accelCharOf("Sa&ve"), 'V');
    EXPECT_EQ(accelCharOf("&file"), 'F');
    EXPECT_EQ(accelCharOf("Fish && Chips"), std::nullopt);
    EXPECT_EQ(accelCharOf("Save&"), std::nullopt);
    EXPECT_EQ(accelCharOf("Save"), std::nullopt);
}

TEST(MenuText, TheFirstShortcutIsTheOneShown)
{
    EXPECT_EQ(displayed("Ctrl+S|F2"), "Ctrl+S");
    EXPECT_EQ(displayed("F2"), "F2");
    EXPECT_EQ(displayed(""), "");
    EXPECT_TRUE(holds("Ctrl+S|F2", "F2"));
    EXPECT_FALSE(holds("Ctrl+S|F2", "S"));
    EXPECT_EQ(validated("Ctrl+S|F2"), "Ctrl+S|F2");
}

TEST(MenuText, TheRegistryKeepsTheNewestFirstAndForgetsReplacedTexts)
{
    Registry r;
    r.replace("", "Ctrl+S");
    r.replace("", "F2");
    r.replace("", "Alt+X");
    EXPECT_EQ(r.text(), "|Alt+X|F2|Ctrl+S|");
    r.replace("F2", "F3");
    EXPECT_EQ(r.text(), "|F3|Alt+X|Ctrl+S|");
    EXPECT_FALSE(r.contains("F2"));
    r.replace("F3", "");
    r.replace("Alt+X", "");
    r.replace("Ctrl+S", "");
    EXPECT_EQ(r.text(), "");
}

TEST(ShortcutFile, WritesNulEndedTokensAndReadsThemBack)
{
    const std::string empty = ShortcutFile::serialize({});
    EXPECT_EQ(empty, std::string("\0[Tarvo-Menus-Shortcuts]\0[V-1-0-0]\0", 35));
    const std::vector<ShortcutFile::Entry> entries = {{true, "mnuFileSav", "Ctrl+S|F2"}, {false, "7", ""}};
    const std::string bytes = ShortcutFile::serialize(entries);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\0'), 3 + 3 * 2);
    const auto back = ShortcutFile::parse(bytes);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[0].target, "mnuFileSav");
    EXPECT_EQ((*back)[0].keyAccel, "Ctrl+S|F2");
    EXPECT_FALSE((*back)[1].byName);
    EXPECT_EQ((*back)[1].target, "7");
}

TEST(ShortcutFile, RefusesOtherFilesAndReadsAShortOneToItsEnd)
{
    EXPECT_EQ(ShortcutFile::parse(std::string("x[Tarvo-Menus-Shortcuts]\0[V-1-0-0]\0", 35)), std::nullopt);
    EXPECT_EQ(ShortcutFile::parse(std::string("\0[Other]\0[V-1-0-0]\0", 19)), std::nullopt);
    EXPECT_EQ(ShortcutFile::parse(std::string("\0[Tarvo-Menus-Shortcuts]\0[V-2-0-0]\0", 35)), std::nullopt);
    EXPECT_EQ(ShortcutFile::parse(""), std::nullopt);
    // Cut right after a name: that entry's shortcut is the empty last token.
    const auto cut = ShortcutFile::parse(std::string("\0[Tarvo-Menus-Shortcuts]\0[V-1-0-0]\0K\0mnuSet\0", 44));
    ASSERT_TRUE(cut);
    ASSERT_EQ(cut->size(), 1u);
    EXPECT_EQ((*cut)[0].keyAccel, "");
    // A token that is neither K nor I ends the reading.
    const auto odd = ShortcutFile::parse(std::string("\0[Tarvo-Menus-Shortcuts]\0[V-1-0-0]\0X\0a\0b\0", 41));
    ASSERT_TRUE(odd);
    EXPECT_TRUE(odd->empty());
}
