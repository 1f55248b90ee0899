#include "logic/desktop/RegistryHive.h"

#include "logic/base/TextLines.h"

#include <cstdio>

namespace {
char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

std::string escaped(std::string_view value)
{
    std::string out;
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (u < 0x20 || u == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The text between the quotes of @="...", or nothing when it is malformed.
std::optional<std::string> unescaped(std::string_view quoted)
{
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
        return std::nullopt;
    const std::string_view body = quoted.substr(1, quoted.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"')
            return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= body.size())
            return std::nullopt;
        switch (body[i]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 'x': {
            const int hi = i + 1 < body.size() ? hexDigit(body[i + 1]) : -1;
            const int lo = i + 2 < body.size() ? hexDigit(body[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}
}  // namespace

bool RegistryHive::isValidPath(std::string_view path)
{
    if (path.empty() || path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string_view::npos)
        return false;
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

RegistryHive::Key* RegistryHive::find(std::string_view path)
{
    for (Key& k : keys_)
        if (sameName(k.path, path))
            return &k;
    return nullptr;
}

const RegistryHive::Key* RegistryHive::find(std::string_view path) const
{
    for (const Key& k : keys_)
        if (sameName(k.path, path))
            return &k;
    return nullptr;
}

bool RegistryHive::addKey(std::string_view path)
{
    if (!isValidPath(path))
        return false;
    // Parents first, as the registry makes them.
    for (std::size_t end = path.find('\\'); end != std::string_view::npos; end = path.find('\\', end + 1))
        if (!find(path.substr(0, end)))
            keys_.push_back(Key{std::string(path.substr(0, end)), std::nullopt});
    if (!find(path))
        keys_.push_back(Key{std::string(path), std::nullopt});
    return true;
}

bool RegistryHive::hasKey(std::string_view path) const
{
    return find(path) != nullptr;
}

bool RegistryHive::setDefaultValue(std::string_view path, std::string_view value)
{
    Key* k = find(path);
    if (!k)
        return false;
    k->value = std::string(value);
    return true;
}

std::optional<std::string> RegistryHive::defaultValue(std::string_view path) const
{
    const Key* k = find(path);
    return k ? k->value : std::nullopt;
}

std::string RegistryHive::text() const
{
    std::string out = "; Velorin's registry: each key in brackets, its default value as @=\"text\".\n";
    for (const Key& k : keys_) {
        out += "\n[" + std::string(root) + '\\' + k.path + "]\n";
        if (k.value)
            out += "@=\"" + escaped(*k.value) + "\"\n";
    }
    return out;
}

RegistryHive RegistryHive::parse(std::string_view text)
{
    RegistryHive hive;
    const std::string prefix = std::string(root) + '\\';
    Key* current = nullptr;
    for (const std::string& line : TextLines::split(text)) {
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string_view name = std::string_view(line).substr(1, line.size() - 2);
            current = nullptr;
            if (name.size() > prefix.size() && sameName(name.substr(0, prefix.size()), prefix) &&
                hive.addKey(name.substr(prefix.size())))
                current = hive.find(name.substr(prefix.size()));
        } else if (current && line.rfind("@=", 0) == 0) {
            if (auto value = unescaped(std::string_view(line).substr(2)))
                current->value = std::move(*value);
        }
    }
    return hive;
}
