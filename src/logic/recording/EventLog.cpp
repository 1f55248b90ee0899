#include "logic/recording/EventLog.h"

#include "logic/base/NumberText.h"

#include <cstdint>

namespace EventLog {

std::string noteLine(int index, double count)
{
    return std::to_string(index) + ":" + NumberText::toText(count) + "\r\n";
}

std::string restLine(double count)
{
    return "S:" + NumberText::toText(count) + "\r\n";
}

Line parse(std::string_view text)
{
    Line line;
    if (text.empty())
        return line;
    line.empty = false;
    const auto sep = text.find(": ");
    line.tag = std::string(text.substr(0, sep));
    if (sep != std::string_view::npos) {
        const auto rest = text.substr(sep + 2);
        line.count = std::string(rest.substr(0, rest.find(": ")));
    }
    line.rest = line.tag == "S";
    if (!line.rest) {
        if (const auto n = NumberText::strictNumber(line.tag))
            if (const auto i = NumberText::toInt16(*n))
                line.index = *i;
    }
    return line;
}

std::optional<std::int64_t> waitMs(const std::optional<std::string>& count, std::string_view times, int tempo)
{
    if (!count)
        return std::nullopt;
    const auto n = NumberText::strictNumber(*count);
    const auto t = NumberText::strictNumber(times);
    if (!n || !t)
        return std::nullopt;
    const auto w = NumberText::toInt32(*n * 10 * *t + tempo);
    if (!w)
        return std::nullopt;
    return *w < 0 ? 0 : *w;
}

bool holdsLogLines(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const Line parsed = parse(line);
        if ((parsed.rest || parsed.index) && parsed.count && NumberText::strictNumber(*parsed.count))
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace EventLog
