// Which computer key plays which on-screen key.
#include "logic/keyboard/KeyMap.h"

#include <gtest/gtest.h>

TEST(KeyMap, EveryRowOfTheTable)
{
    const int codes[41] = {90, 83, 88, 68, 67, 86, 71, 66, 72, 78, 74, 77, 188, 76, 190, 186, 191, 81, 50, 87, 51,
                           69, 52, 82, 84, 54, 89, 55, 85, 73, 57, 79, 48, 80, 189, 219, 221, 8, 220, 45, 46};
    for (int i = 0; i < 41; ++i) {
        EXPECT_EQ(KeyMap::KeyIndex(codes[i]), i) << "code " << codes[i];
        EXPECT_EQ(KeyMap::codeOf(i), codes[i]);
    }
    for (int code : {int('1'), int('5'), int('8'), int('A'), int('F'), int('K'), 33, 34, 35, 36, 38, 40, 112, 187, 192, 222, 0, -1, 65535})
        EXPECT_EQ(KeyMap::KeyIndex(code), -1) << "code " << code;
}
