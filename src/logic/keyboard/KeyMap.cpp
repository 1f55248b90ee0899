#include "logic/keyboard/KeyMap.h"

#include "logic/keyboard/VirtualKeys.h"

#include <array>

namespace KeyMap {

namespace {
struct Entry {
    int code;
    const char* label;
};

constexpr std::array<Entry, keyCount> table{{
    {'Z', "Z"},          {'S', "S"},          {'X', "X"},       {'D', "D"},          {'C', "C"},
    {'V', "V"},          {'G', "G"},          {'B', "B"},       {'H', "H"},          {'N', "N"},
    {'J', "J"},          {'M', "M"},          {Vk::Comma, ","}, {'L', "L"},          {Vk::Period, "."},
    {Vk::Semicolon, ";"}, {Vk::Slash, "/"},   {'Q', "Q"},       {'2', "2"},          {'W', "W"},
    {'3', "3"},          {'E', "E"},          {'4', "4"},       {'R', "R"},          {'T', "T"},
    {'6', "6"},          {'Y', "Y"},          {'7', "7"},       {'U', "U"},          {'I', "I"},
    {'9', "9"},          {'O', "O"},          {'0', "0"},       {'P', "P"},          {Vk::Minus, "-"},
    {Vk::LeftBracket, "["}, {Vk::RightBracket, "]"}, {Vk::Back, "Bksp"}, {Vk::Backslash, "\\"},
    {Vk::Insert, "Ins"}, {Vk::Delete, "Del"},
}};
}  // namespace

int KeyIndex(int code)
{
    for (int i = 0; i < keyCount; ++i)
        if (table[i].code == code)
            return i;
    return -1;
}

int codeOf(int index)
{
    return index >= 0 && index < keyCount ? table[index].code : -1;
}

std::string keyLabel(int index)
{
    return index >= 0 && index < keyCount ? table[index].label : "";
}

}  // namespace KeyMap
