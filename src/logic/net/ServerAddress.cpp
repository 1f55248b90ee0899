#include "logic/net/ServerAddress.h"

#include "logic/net/WireFormat.h"

#include <algorithm>

namespace {
std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "" is no port given; otherwise 1..65535 in decimal, or nothing.
std::optional<int> portOf(std::string_view digits)
{
    if (digits.empty())
        return WireFormat::port;
    if (digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int port = std::stoi(std::string(digits));
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}
}  // namespace

std::optional<ServerAddress> ServerAddress::parse(std::string_view typed)
{
    const std::string_view text = trimmed(typed);
    if (text.empty())
        return std::nullopt;
    std::string_view host = text;
    std::string_view port;
    if (text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos || close == 1)
            return std::nullopt;
        host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return std::nullopt;
        port = rest.empty() ? rest : rest.substr(1);
    } else if (const auto colon = text.find(':'); colon != std::string_view::npos &&
                                                  text.find(':', colon + 1) == std::string_view::npos) {
        // One colon: host and port. Several: an IPv6 address on its own.
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.empty())
            return std::nullopt;
    }
    const auto number = portOf(port);
    if (!number)
        return std::nullopt;
    return ServerAddress{std::string(host), *number};
}
