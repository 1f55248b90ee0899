#include "logic/menus/ShortcutFile.h"

namespace ShortcutFile {

namespace {
constexpr char header[] = "[Tarvo-Menus-Shortcuts]";
constexpr char version[] = "[V-1-0-0]";

void token(std::string& out, const std::string& text)
{
    out += text;
    out += '\0';
}
}  // namespace

std::string serialize(const std::vector<Entry>& entries)
{
    std::string out;
    token(out, "");
    token(out, header);
    token(out, version);
    for (const Entry& e : entries) {
        token(out, e.byName ? "K" : "I");
        token(out, e.target);
        token(out, e.keyAccel);
    }
    return out;
}

std::optional<std::vector<Entry>> parse(const std::string& bytes)
{
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (true) {
        const auto nul = bytes.find('\0', start);
        tokens.push_back(bytes.substr(start, nul - start));
        if (nul == std::string::npos)
            break;
        start = nul + 1;
    }
    if (tokens.size() < 3 || !tokens[0].empty() || tokens[1] != header || tokens[2] != version)
        return std::nullopt;
    std::vector<Entry> entries;
    enum class State { Kind, Target, Value } state = State::Kind;
    Entry current;
    for (std::size_t i = 3; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        if (state == State::Kind) {
            if (t != "K" && t != "I")
                break;
            current = Entry{t == "K", {}, {}};
            state = State::Target;
        } else if (state == State::Target) {
            current.target = t;
            state = State::Value;
        } else {
            current.keyAccel = t;
            entries.push_back(current);
            state = State::Kind;
        }
    }
    return entries;
}

}  // namespace ShortcutFile
