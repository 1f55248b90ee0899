#include "logic/net/WireFormat.h"

#include <limits>

namespace WireFormat {

std::string joinNotice(std::string_view host)
{
    return ": Connected to the Server with IP: " + std::string(host) + std::string(end);
}

std::string keyPress(int index)
{
    return std::to_string(index) + std::string(end);
}

std::string chatLine(std::string_view sender, std::string_view text)
{
    return ":" + std::string(sender) + ": " + std::string(text) + std::string(end);
}

bool isChat(std::string_view data)
{
    return !data.empty() && data.front() == ':';
}

std::string chatText(std::string_view data)
{
    return data.empty() ? std::string() : std::string(data.substr(1));
}

std::optional<std::int16_t> noteIndex(std::string_view data)
{
    std::size_t i = 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < data.size() && (data[i] == '+' || data[i] == '-')) {
        negative = data[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < data.size() && data[i] >= '0' && data[i] <= '9'; ++i) {
        value = value * 10 + (data[i] - '0');
        if (value > 32768)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::string prependChat(std::string_view received, std::string_view earlier, std::size_t maxBytes)
{
    std::string text;
    text.reserve(std::min(maxBytes, received.size() + 2 + earlier.size()));
    text.append(received.substr(0, maxBytes));
    text.append("\r\n");
    if (text.size() < maxBytes)
        text.append(earlier.substr(0, maxBytes - text.size()));
    if (text.size() > maxBytes)
        text.resize(maxBytes);
    // Never end inside a UTF-8 character.
    std::size_t end = text.size();
    std::size_t back = 0;
    while (end > 0 && back < 4 && (static_cast<unsigned char>(text[end - 1]) & 0xC0) == 0x80) {
        --end;
        ++back;
    }
    if (end > 0 && static_cast<unsigned char>(text[end - 1]) >= 0xC0) {
        const unsigned char lead = static_cast<unsigned char>(text[end - 1]);
        const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (back + 1 < need)
            text.resize(end - 1);
    }
    return text;
}

}  // namespace WireFormat
