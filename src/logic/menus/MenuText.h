#pragma once

#include <optional>
#include <string>
#include <string_view>

// The texts of menu items: captions with their "&" accelerator character,
// shortcut texts ("Ctrl+S|F2": key names joined by "|", the first shown),
// and the registry that holds every registered shortcut text.
namespace MenuText {

struct Split {
    std::string caption;
    std::string shortcut;
};

// An item's text split at its first tab; NUL characters are dropped.
Split splitAtTab(std::string_view text);

// The upper-case character after the first single "&", if there is one.
std::optional<char> accelCharOf(std::string_view caption);

// A shortcut text as stored: its key names joined by "|".
std::string validated(std::string_view keyAccel);

// The shortcut shown in the menu: the text before the first "|".
std::string displayed(std::string_view keyAccel);

// Whether a shortcut text holds the key name.
bool holds(std::string_view keyAccel, std::string_view keyName);

// All registered shortcut texts between "|", newest first: "|Alt+X|F2|Ctrl+S|".
class Registry {
public:
    // Takes oldText out and puts newText in front.
    void replace(std::string_view oldText, std::string_view newText);
    bool contains(std::string_view keyName) const;
    const std::string& text() const { return text_; }
    void clear() { text_.clear(); }

private:
    std::string text_;
};

}  // namespace MenuText
