#pragma once

#include <cstdint>
#include <string>

// The on-screen keyboard: 24 white keys with 17 black keys between them,
// placed in twips relative to the window's client area.
namespace KeyboardLayout {

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

bool isWhite(int index);
Rect keyRect(int index);

// The note letter of a white key, empty for a black key.
std::string caption(int index);

// The label of the computer key for a white key, empty for a black key.
std::string tooltip(int index);

inline constexpr int whiteHeight = 2175;

std::int32_t designBackground(int index);
std::int32_t designText(int index);
std::int32_t pressedText();
std::int32_t pressedWhiteBackground();
std::int32_t releasedText();
std::int32_t releasedWhiteBackground();

}  // namespace KeyboardLayout
