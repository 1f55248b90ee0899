#pragma once

#include <string>

// Which computer key plays which on-screen key: the bottom letter row and the
// row above it play the first 17 semitones, the top letter row and the digit
// row the rest, Backspace, Insert and Delete the last three.
namespace KeyMap {

inline constexpr int keyCount = 41;

// The on-screen key index 0..40 of a key code, or -1.
int KeyIndex(int code);

// The key code that plays on-screen key index, or -1.
int codeOf(int index);

// What the computer key is labelled on a US keyboard: "Z", ",", "Del".
std::string keyLabel(int index);

}  // namespace KeyMap
