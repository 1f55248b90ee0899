#include "logic/menus/KeyName.h"

namespace {
std::string baseName(int key)
{
    if (key == 9)
        return "Tab";
    if (key == 27)
        return "Escape";
    if (key == 46)
        return "Delete";
    if (key >= '0' && key <= '9')
        return std::string(1, static_cast<char>(key));
    if (key >= 'A' && key <= 'Z')
        return std::string(1, static_cast<char>(key));
    if (key >= 96 && key <= 105)
        return "Numpad" + std::to_string(key - 96);
    if (key >= 112 && key <= 127)
        return "F" + std::to_string(key - 111);
    return {};
}
}  // namespace

std::string KeyName(int virtualKey, bool alt, bool ctrl, bool shift)
{
    const std::string base = baseName(virtualKey);
    if (base.empty())
        return {};
    std::string modifiers;
    for (const auto& [on, name] : {std::pair{alt, "Alt"}, std::pair{ctrl, "Ctrl"}, std::pair{shift, "Shift"}}) {
        if (on)
            modifiers += (modifiers.empty() ? "" : "+") + std::string(name);
    }
    return modifiers.empty() ? base : modifiers + "+" + base;
}
