#include "DoorRules.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

namespace DoorRules {

bool isRoomName(std::string_view name)
{
    if (name.empty() || name.size() > maxRoomName)
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

std::optional<std::string> roomOfPath(std::string_view path)
{
    if (path == "/")
        return std::string(lobby);
    constexpr std::string_view prefix = "/r/";
    if (path.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    const std::string_view name = path.substr(prefix.size());
    if (!isRoomName(name))
        return std::nullopt;
    // People say a room's name; they do not spell its case. /r/Jazz is /r/jazz.
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool isPlayerMessage(std::string_view message)
{
    if (message.empty() || message.size() > maxMessage)
        return false;
    if (message.find_first_of("\r\n") != std::string_view::npos)
        return false;
    if (message.front() == ':')
        return true;
    // A key index: an optional minus and at most five digits.
    std::string_view digits = message;
    if (digits.front() == '-')
        digits.remove_prefix(1);
    return !digits.empty() && digits.size() <= 5 &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::string> canonicalAddress(std::string_view text)
{
    if (text.empty() || text.size() >= INET6_ADDRSTRLEN)
        return std::nullopt;
    const std::string plain(text);
    char shown[INET6_ADDRSTRLEN];
    in_addr v4{};
    if (inet_pton(AF_INET, plain.c_str(), &v4) == 1 && inet_ntop(AF_INET, &v4, shown, sizeof shown))
        return std::string(shown);
    in6_addr v6{};
    if (inet_pton(AF_INET6, plain.c_str(), &v6) != 1)
        return std::nullopt;
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::memcpy(&v4, v6.s6_addr + 12, sizeof v4);
        if (inet_ntop(AF_INET, &v4, shown, sizeof shown))
            return std::string(shown);
    }
    if (!inet_ntop(AF_INET6, &v6, shown, sizeof shown))
        return std::nullopt;
    return std::string(shown);
}

std::optional<std::string> forwardedClient(std::string_view forwardedFor, const std::vector<std::string>& trusted)
{
    std::string_view rest = forwardedFor;
    std::optional<std::string> nearest;  // the last trusted one seen
    while (!rest.empty()) {
        const auto comma = rest.rfind(',');
        std::string_view entry = comma == std::string_view::npos ? rest : rest.substr(comma + 1);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(0, comma);
        while (!entry.empty() && (entry.front() == ' ' || entry.front() == '\t'))
            entry.remove_prefix(1);
        while (!entry.empty() && (entry.back() == ' ' || entry.back() == '\t'))
            entry.remove_suffix(1);
        // Some proxies add the port: "203.0.113.7:5501", "[2001:db8::7]:5501".
        if (!entry.empty() && entry.front() == '[') {
            const auto close = entry.find(']');
            if (close == std::string_view::npos)
                return std::nullopt;
            entry = entry.substr(1, close - 1);
        } else if (std::count(entry.begin(), entry.end(), ':') == 1) {
            entry = entry.substr(0, entry.find(':'));
        }
        const auto address = canonicalAddress(entry);
        if (!address)
            return std::nullopt;
        if (std::find(trusted.begin(), trusted.end(), *address) == trusted.end())
            return address;
        nearest = address;
    }
    return nearest;
}

bool hasQueryItem(std::string_view query, std::string_view item)
{
    while (!query.empty()) {
        const std::size_t end = std::min(query.find('&'), query.size());
        const std::string_view part = query.substr(0, end);
        if (part.substr(0, part.find('=')) == item)
            return true;
        query.remove_prefix(std::min(end + 1, query.size()));
    }
    return false;
}

}  // namespace DoorRules

std::vector<std::string> RelayCutter::take(std::string_view arrival)
{
    std::vector<std::string> messages;
    partial_.append(arrival);
    std::size_t start = 0;
    for (std::size_t end; (end = partial_.find("\r\n", start)) != std::string::npos; start = end + 2) {
        if (end > start)  // an empty line carries nothing
            messages.emplace_back(partial_, start, end - start);
    }
    partial_.erase(0, start);
    // A line that never ends is passed on in pieces rather than kept.
    while (partial_.size() > DoorRules::maxMessage) {
        messages.emplace_back(partial_, 0, DoorRules::maxMessage);
        partial_.erase(0, DoorRules::maxMessage);
    }
    return messages;
}

std::optional<std::string> RelayCutter::flush()
{
    std::string rest = std::move(partial_);
    partial_.clear();
    if (!rest.empty() && rest.back() == '\r')
        rest.pop_back();
    if (rest.empty())
        return std::nullopt;
    return rest;
}

