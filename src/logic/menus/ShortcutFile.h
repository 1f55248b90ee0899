#pragma once

#include <optional>
#include <string>
#include <vector>

// The file in which a menu engine keeps its items' shortcuts: NUL-ended
// tokens, a header and a version, then per item "K", its name and its
// shortcut text, or "I", its index and its shortcut text.
namespace ShortcutFile {

struct Entry {
    bool byName = true;
    std::string target;  // the name, or the index in decimal
    std::string keyAccel;
};

std::string serialize(const std::vector<Entry>& entries);

// The entries of a file, read until a token that is not "K" or "I"; nothing
// when the bytes are not a shortcut file of this version.
std::optional<std::vector<Entry>> parse(const std::string& bytes);

}  // namespace ShortcutFile
