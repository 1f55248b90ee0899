#include "logic/keyboard/ScanCodes.h"

#include "logic/keyboard/VirtualKeys.h"

#include <array>

namespace {
constexpr int evdevOffset = 8;

// Indexed by evdev code, from the kernel's input event codes.
constexpr std::array<int, 195> evdevToVk = [] {
    std::array<int, 195> t{};
    for (auto& v : t)
        v = -1;
    t[1] = Vk::Escape;
    for (int d = 1; d <= 9; ++d)
        t[static_cast<std::size_t>(1 + d)] = '0' + d;  // KEY_1..KEY_9 are 2..10
    t[11] = '0';
    t[12] = Vk::Minus;
    t[13] = Vk::Plus;
    t[14] = Vk::Back;
    t[15] = Vk::Tab;
    const char top[] = "QWERTYUIOP";
    for (int i = 0; i < 10; ++i)
        t[static_cast<std::size_t>(16 + i)] = top[i];
    t[26] = Vk::LeftBracket;
    t[27] = Vk::RightBracket;
    t[28] = Vk::Return;
    t[29] = Vk::Control;
    const char home[] = "ASDFGHJKL";
    for (int i = 0; i < 9; ++i)
        t[static_cast<std::size_t>(30 + i)] = home[i];
    t[39] = Vk::Semicolon;
    t[40] = Vk::Quote;
    t[41] = Vk::Grave;
    t[42] = Vk::Shift;
    t[43] = Vk::Backslash;
    const char bottom[] = "ZXCVBNM";
    for (int i = 0; i < 7; ++i)
        t[static_cast<std::size_t>(44 + i)] = bottom[i];
    t[51] = Vk::Comma;
    t[52] = Vk::Period;
    t[53] = Vk::Slash;
    t[54] = Vk::Shift;
    t[55] = Vk::Multiply;
    t[56] = Vk::Menu;
    t[57] = Vk::Space;
    t[58] = Vk::Capital;
    for (int i = 0; i < 10; ++i)
        t[static_cast<std::size_t>(59 + i)] = Vk::F1 + i;  // F1..F10
    t[69] = Vk::NumLock;
    t[70] = Vk::Scroll;
    const int keypad[] = {7, 8, 9, -1, 4, 5, 6, -2, 1, 2, 3, 0};
    for (int i = 0; i < 12; ++i) {
        const int d = keypad[i];
        t[static_cast<std::size_t>(71 + i)] = d >= 0 ? Vk::Numpad0 + d : d == -1 ? Vk::Subtract : Vk::Add;
    }
    t[83] = Vk::Decimal;
    t[86] = 226;  // the extra key beside left Shift on 102-key keyboards
    t[87] = Vk::F1 + 10;
    t[88] = Vk::F1 + 11;
    t[96] = Vk::Return;  // keypad Enter
    t[97] = Vk::Control;
    t[98] = Vk::Divide;
    t[99] = Vk::Snapshot;
    t[100] = Vk::Menu;
    t[102] = Vk::Home;
    t[103] = Vk::Up;
    t[104] = Vk::Prior;
    t[105] = Vk::Left;
    t[106] = Vk::Right;
    t[107] = Vk::End;
    t[108] = Vk::Down;
    t[109] = Vk::Next;
    t[110] = Vk::Insert;
    t[111] = Vk::Delete;
    t[113] = Vk::VolumeMute;
    t[114] = Vk::VolumeDown;
    t[115] = Vk::VolumeUp;
    t[119] = Vk::Pause;
    t[125] = Vk::LWin;
    t[126] = Vk::RWin;
    t[127] = Vk::Apps;
    for (int i = 0; i < 12; ++i)
        t[static_cast<std::size_t>(183 + i)] = Vk::F1 + 12 + i;  // F13..F24
    return t;
}();
}  // namespace

int virtualKeyFromX11Keycode(int keycode)
{
    const int evdev = keycode - evdevOffset;
    if (evdev < 0 || evdev >= static_cast<int>(evdevToVk.size()))
        return -1;
    return evdevToVk[static_cast<std::size_t>(evdev)];
}
