#include "DoorRules.h"

#include <algorithm>

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

bool RateBound::take(double cost, double now)
{
    if (last_ >= 0 && now > last_)
        tokens_ = std::min(burst_, tokens_ + (now - last_) * perSecond_);
    last_ = now;
    if (cost > tokens_)
        return false;
    tokens_ -= cost;
    return true;
}
