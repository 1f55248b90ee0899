#include "logic/keyboard/KeyMap.h"
#include "ui/keyboard/KeyTranslation.h"
#include "logic/keyboard/ScanCodes.h"
#include "logic/keyboard/VirtualKeys.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {
// X keycodes (evdev + 8) of a standard PC keyboard and the Qt key a US layout gives them.
struct UsKey {
    int keycode;
    int qtKey;
};
const UsKey usKeys[] = {
    {52, Qt::Key_Z}, {39, Qt::Key_S}, {53, Qt::Key_X}, {40, Qt::Key_D}, {54, Qt::Key_C}, {55, Qt::Key_V},
    {42, Qt::Key_G}, {56, Qt::Key_B}, {43, Qt::Key_H}, {57, Qt::Key_N}, {44, Qt::Key_J}, {58, Qt::Key_M},
    {59, Qt::Key_Comma}, {46, Qt::Key_L}, {60, Qt::Key_Period}, {47, Qt::Key_Semicolon}, {61, Qt::Key_Slash},
    {24, Qt::Key_Q}, {11, Qt::Key_2}, {25, Qt::Key_W}, {12, Qt::Key_3}, {26, Qt::Key_E}, {13, Qt::Key_4},
    {27, Qt::Key_R}, {28, Qt::Key_T}, {15, Qt::Key_6}, {29, Qt::Key_Y}, {16, Qt::Key_7}, {30, Qt::Key_U},
    {31, Qt::Key_I}, {18, Qt::Key_9}, {32, Qt::Key_O}, {19, Qt::Key_0}, {33, Qt::Key_P}, {20, Qt::Key_Minus},
    {34, Qt::Key_BracketLeft}, {35, Qt::Key_BracketRight}, {22, Qt::Key_Backspace}, {51, Qt::Key_Backslash},
    {118, Qt::Key_Insert}, {119, Qt::Key_Delete}, {10, Qt::Key_1}, {14, Qt::Key_5}, {17, Qt::Key_8},
    {112, Qt::Key_PageUp}, {117, Qt::Key_PageDown}, {110, Qt::Key_Home}, {115, Qt::Key_End},
    {50, Qt::Key_Shift}, {62, Qt::Key_Shift}, {37, Qt::Key_Control}, {64, Qt::Key_Alt}, {66, Qt::Key_CapsLock},
    {9, Qt::Key_Escape}, {65, Qt::Key_Space}, {36, Qt::Key_Return}, {113, Qt::Key_Left}, {114, Qt::Key_Right},
    {111, Qt::Key_Up}, {116, Qt::Key_Down}, {49, Qt::Key_QuoteLeft}, {67, Qt::Key_F1}, {72, Qt::Key_F6},
    {76, Qt::Key_F10}, {95, Qt::Key_F11}, {96, Qt::Key_F12}, {133, Qt::Key_Meta}, {135, Qt::Key_Menu},
    {122, Qt::Key_VolumeDown}, {123, Qt::Key_VolumeUp}, {23, Qt::Key_Tab}, {48, Qt::Key_Apostrophe},
};
}  // namespace

TEST(KeyTranslation, PhysicalAndQtKeysAgreeOnAUsLayout)
{
    for (const UsKey& k : usKeys)
        EXPECT_EQ(virtualKeyFromX11Keycode(k.keycode), virtualKeyFromQtKey(k.qtKey)) << "keycode " << k.keycode;
}

TEST(KeyTranslation, ThePianoKeepsItsShapeOnOtherLayouts)
{
    // On AZERTY the key left of Z's US position types "W" and the top-left letter "A";
    // on QWERTZ the bottom-left letter types "Y". The physical key decides.
    EXPECT_EQ(virtualKeyFromX11Keycode(52), 'Z');
    EXPECT_EQ(virtualKeyFromX11Keycode(24), 'Q');
    EXPECT_EQ(KeyMap::KeyIndex(virtualKeyFromX11Keycode(52)), 0);
    EXPECT_EQ(KeyMap::KeyIndex(virtualKeyFromX11Keycode(119)), 40);
}

TEST(KeyTranslation, ShiftedSymbolsCountAsTheirKey)
{
    EXPECT_EQ(virtualKeyFromQtKey(Qt::Key_Less), Vk::Comma);
    EXPECT_EQ(virtualKeyFromQtKey(Qt::Key_Colon), Vk::Semicolon);
    EXPECT_EQ(virtualKeyFromQtKey(Qt::Key_At), '2');
    EXPECT_EQ(virtualKeyFromQtKey(Qt::Key_BraceRight), Vk::RightBracket);
    EXPECT_EQ(virtualKeyFromQtKey(Qt::Key_unknown), -1);
    EXPECT_EQ(virtualKeyFromX11Keycode(0), -1);
    EXPECT_EQ(virtualKeyFromX11Keycode(100000), -1);
}

TEST(KeyTranslation, EventsWithoutAKeycodeUseTheQtKey)
{
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier);
    EXPECT_EQ(virtualKeyCode(event), 'Z');
}
