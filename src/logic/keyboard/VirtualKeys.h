#pragma once

// Key codes of a US keyboard layout, in the numbering of the classic desktop
// virtual-key codes that the key map and the event log are written in.
namespace Vk {
inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Menu = 18;  // Alt
inline constexpr int Pause = 19;
inline constexpr int Capital = 20;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Prior = 33;  // Page Up
inline constexpr int Next = 34;   // Page Down
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Snapshot = 44;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int Digit0 = 48;  // '0'..'9' are 48..57
inline constexpr int LetterA = 65; // 'A'..'Z' are 65..90
inline constexpr int LWin = 91;
inline constexpr int RWin = 92;
inline constexpr int Apps = 93;
inline constexpr int Numpad0 = 96;  // 96..105
inline constexpr int Multiply = 106;
inline constexpr int Add = 107;
inline constexpr int Subtract = 109;
inline constexpr int Decimal = 110;
inline constexpr int Divide = 111;
inline constexpr int F1 = 112;  // F1..F24 are 112..135
inline constexpr int NumLock = 144;
inline constexpr int Scroll = 145;
inline constexpr int VolumeMute = 173;
inline constexpr int VolumeDown = 174;
inline constexpr int VolumeUp = 175;
inline constexpr int Semicolon = 186;
inline constexpr int Plus = 187;  // the = + key
inline constexpr int Comma = 188;
inline constexpr int Minus = 189;
inline constexpr int Period = 190;
inline constexpr int Slash = 191;
inline constexpr int Grave = 192;
inline constexpr int LeftBracket = 219;
inline constexpr int Backslash = 220;
inline constexpr int RightBracket = 221;
inline constexpr int Quote = 222;
}  // namespace Vk
