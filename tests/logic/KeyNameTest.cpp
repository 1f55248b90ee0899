#include "logic/menus/KeyName.h"

#include <gtest/gtest.h>

TEST(KeyName, NamesKeysWithTheirModifiersInFixedOrder)
{
    EXPECT_EQ(KeyName(112, false, true, true), "Ctrl+Shift+F1");
    EXPECT_EQ(KeyName('A', false, false, false), "A");
    EXPECT_EQ(KeyName('S', false, true, false), "Ctrl+S");
    EXPECT_EQ(KeyName(116, false, false, true), "Shift+F5");
    EXPECT_EQ(KeyName(46, true, true, false), "Alt+Ctrl+Delete");
    EXPECT_EQ(KeyName(99, true, true, true), "Alt+Ctrl+Shift+Numpad3");
    EXPECT_EQ(KeyName(9, false, false, false), "Tab");
    EXPECT_EQ(KeyName(27, true, false, false), "Alt+Escape");
    EXPECT_EQ(KeyName('7', false, false, false), "7");
    EXPECT_EQ(KeyName(127, false, false, false), "F16");
}

TEST(KeyName, KeysWithoutANameGiveNothingWhateverTheModifiers)
{
    EXPECT_EQ(KeyName(13, false, true, false), "");
    EXPECT_EQ(KeyName(128, false, false, false), "");  // F17
    EXPECT_EQ(KeyName(16, false, false, true), "");    // Shift alone
    EXPECT_EQ(KeyName(0, true, true, true), "");
}
