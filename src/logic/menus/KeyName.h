#pragma once

#include <string>

// The name of a key with its modifiers, as menu accelerators are written:
// "Ctrl+S", "Shift+F5", "Alt+Ctrl+Shift+Numpad3". Keys without a name (Enter,
// arrows, ...) give an empty text, whatever the modifiers.
std::string KeyName(int virtualKey, bool alt, bool ctrl, bool shift);
