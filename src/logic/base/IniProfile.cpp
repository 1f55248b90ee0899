#include "logic/base/IniProfile.h"

#include <algorithm>

namespace IniProfile {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

// Splits at CR LF, CR or LF.
template <typename F>
void forEachLine(std::string_view text, F&& f)
{
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        if (f(text.substr(start, stop - start)))
            return;
        if (end == std::string_view::npos)
            return;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
}

}  // namespace

std::string value(std::string_view text, std::string_view section, std::string_view key)
{
    const std::string_view wantSection = trim(section);
    const std::string_view wantKey = trim(key);
    bool inSection = false;
    std::string result;
    forEachLine(text, [&](std::string_view raw) {
        const std::string_view line = trim(raw);
        if (!line.empty() && line.front() == '[') {
            const auto close = line.find(']');
            inSection = close != std::string_view::npos && sameName(trim(line.substr(1, close - 1)), wantSection);
            return false;
        }
        if (!inSection || line.empty() || line.front() == ';')
            return false;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || !sameName(trim(line.substr(0, eq)), wantKey))
            return false;
        std::string_view v = trim(line.substr(eq + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        // A NUL ends the text as it would in the caller's buffer.
        v = v.substr(0, std::min(v.find('\0'), v.size()));
        result.assign(v.substr(0, maxValueLength));
        return true;
    });
    return result;
}

}  // namespace IniProfile
