#include "recorder/CommandLine.h"

namespace CommandLine {

std::optional<std::string> sequenceFile(const std::vector<std::string>& arguments)
{
    std::string text;
    for (const auto& a : arguments)
        text += (text.empty() ? "" : " ") + a;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    const std::string suffix = ".mus";
    if (text.size() < suffix.size() || text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    return text;
}

}  // namespace CommandLine
