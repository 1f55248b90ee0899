// The web page plays by the window's rules: its key map (the same physical
// keys for the same 41 keys, the same labels), the pianos that ring on and
// the wire forms are written again in web/piano.js, so they are checked here
// against the program's own.
#include "logic/keyboard/KeyMap.h"
#include "logic/midi/MidiMessages.h"
#include "logic/net/WireFormat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {
std::string page()
{
    std::ifstream in(std::string(VELORIN_SOURCE_DIR) + "/web/piano.js");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The quoted strings of `const NAME = [ ... ];`.
std::vector<std::string> table(const std::string& js, const std::string& name)
{
    const auto start = js.find("const " + name + " = [");
    if (start == std::string::npos)
        return {};
    const auto end = js.find("];", start);
    const std::string body = js.substr(start, end - start);
    std::vector<std::string> items;
    const std::regex quoted(R"('((?:[^'\\]|\\.)*)')");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), quoted); it != std::sregex_iterator(); ++it) {
        std::string item = (*it)[1];
        if (item == "\\\\")
            item = "\\";
        items.push_back(item);
    }
    return items;
}

// The label a US keyboard shows on the key a KeyboardEvent.code names.
std::string labelOfCode(const std::string& code)
{
    static const std::map<std::string, std::string> others = {
        {"Comma", ","},   {"Period", "."},      {"Semicolon", ";"},    {"Slash", "/"},      {"Minus", "-"},
        {"BracketLeft", "["}, {"BracketRight", "]"}, {"Backspace", "Bksp"}, {"Backslash", "\\"}, {"Insert", "Ins"},
        {"Delete", "Del"}};
    if (code.rfind("Key", 0) == 0 || code.rfind("Digit", 0) == 0)
        return code.substr(code.size() - 1);
    const auto it = others.find(code);
    return it == others.end() ? "?" + code : it->second;
}
}  // namespace

TEST(PageTables, ThePagePlaysTheWindowsKeysByTheWindowsRules)
{
    const std::string js = page();
    ASSERT_FALSE(js.empty()) << "web/piano.js not found";
    EXPECT_NE(js.find("const KEY_COUNT = " + std::to_string(KeyMap::keyCount) + ";"), std::string::npos);

    // Key i sits on the same physical key with the same label; the page
    // spells out the three names the window's small keys abbreviate.
    const auto codes = table(js, "KEY_CODES");
    const auto labels = table(js, "LABELS");
    ASSERT_EQ(codes.size(), static_cast<std::size_t>(KeyMap::keyCount));
    ASSERT_EQ(labels.size(), static_cast<std::size_t>(KeyMap::keyCount));
    const std::map<std::string, std::string> spelledOut = {{"Bksp", "Backspace"}, {"Ins", "Insert"}, {"Del", "Delete"}};
    for (int i = 0; i < KeyMap::keyCount; ++i) {
        const std::string label = KeyMap::keyLabel(i);
        EXPECT_EQ(labelOfCode(codes[static_cast<std::size_t>(i)]), label) << "key " << i;
        const auto spelled = spelledOut.find(label);
        EXPECT_EQ(labels[static_cast<std::size_t>(i)], spelled == spelledOut.end() ? label : spelled->second)
            << "key " << i;
    }

    // Patches 0 to 5 ring on after their key-up; the page lets them ring too.
    EXPECT_EQ(*MidiMessages::noteOff(0, 60, 5) & 0xF0, 0x80u);
    EXPECT_EQ(*MidiMessages::noteOff(0, 60, 5) & 0x0F, 0x0Cu);
    EXPECT_EQ(*MidiMessages::noteOff(0, 60, 6), 0x3C80u);
    EXPECT_NE(js.find("if (program > 5)"), std::string::npos);

    // A key goes out as its index in decimal, a chat line behind ':'.
    EXPECT_EQ(WireFormat::noteIndex("12"), 12);
    EXPECT_TRUE(WireFormat::isChat(":web: hello"));
    EXPECT_NE(js.find("send(String(i))"), std::string::npos);
    EXPECT_NE(js.find("message.startsWith(':')"), std::string::npos);
}
