#include "logic/net/WireReader.h"

#include <utility>

std::vector<std::string> WireReader::take(std::string_view arrival)
{
    std::string data = std::exchange(partial_, {});
    data.append(arrival);
    std::vector<std::string> messages;
    std::size_t start = 0;
    for (std::size_t end; (end = data.find("\r\n", start)) != std::string::npos; start = end + 2) {
        framed_ = true;
        if (end > start)  // an empty line carries nothing
            messages.emplace_back(data, start, end - start);
    }
    std::string rest = data.substr(start);
    const bool unfinished = framed_ || (!rest.empty() && rest.back() == '\r');
    if (unfinished && rest.size() <= maxWaiting) {
        // The rest of this message, or its LF, comes with the next arrival.
        partial_ = std::move(rest);
    } else if (!rest.empty()) {
        messages.push_back(std::move(rest));
    }
    return messages;
}

void WireReader::reset()
{
    framed_ = false;
    partial_.clear();
}

std::vector<std::string> WireReader::flush()
{
    std::string rest = std::exchange(partial_, {});
    if (rest.empty())
        return {};
    return {std::move(rest)};
}
