#include "logic/menus/MenuText.h"

#include <cctype>

namespace MenuText {

Split splitAtTab(std::string_view text)
{
    std::string clean;
    for (char c : text)
        if (c != '\0')
            clean += c;
    const auto tab = clean.find('\t');
    if (tab == std::string::npos)
        return {clean, {}};
    return {clean.substr(0, tab), clean.substr(tab + 1)};
}

std::optional<char> accelCharOf(std::string_view caption)
{
    const auto amp = caption.find('&');
    if (amp == std::string_view::npos || amp + 1 >= caption.size() || caption[amp + 1] == '&')
        return std::nullopt;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[amp + 1])));
}

std::string validated(std::string_view keyAccel)
{
    // Every part is taken as it is; splitting and joining keeps the form.
    std::string out;
    std::size_t start = 0;
    while (true) {
        const auto bar = keyAccel.find('|', start);
        out += keyAccel.substr(start, bar - start);
        if (bar == std::string_view::npos)
            break;
        out += '|';
        start = bar + 1;
    }
    return out;
}

std::string displayed(std::string_view keyAccel)
{
    return std::string(keyAccel.substr(0, keyAccel.find('|')));
}

bool holds(std::string_view keyAccel, std::string_view keyName)
{
    const std::string all = "|" + std::string(keyAccel) + "|";
    return all.find("|" + std::string(keyName) + "|") != std::string::npos;
}

void Registry::replace(std::string_view oldText, std::string_view newText)
{
    if (!oldText.empty()) {
        const std::string needle = "|" + std::string(oldText) + "|";
        for (auto at = text_.find(needle); at != std::string::npos; at = text_.find(needle, at))
            text_.replace(at, needle.size(), "|");
        if (text_ == "|")
            text_.clear();
    }
    if (!newText.empty())
        text_ = text_.empty() ? "|" + std::string(newText) + "|" : "|" + std::string(newText) + text_;
}

bool Registry::contains(std::string_view keyName) const
{
    return text_.find("|" + std::string(keyName) + "|") != std::string::npos;
}

}  // namespace MenuText
