#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The registry's keys and default values as one text file:
//
//   [HKEY_CLASSES_ROOT\mus_file\shell\open\command]
//   @="\"/home/me/.local/share/velorin/velorin\" \"%1\""
//
// Keys keep the order they were made in. Key names compare without regard
// to ASCII case, as the desktop registry they stand for does. Values escape
// '\', '"' and control characters, so any text survives a round trip.
class RegistryHive {
public:
    struct Key {
        std::string path;  // below the classes root, parts separated by '\'
        std::optional<std::string> value;
    };

    static constexpr std::string_view root = "HKEY_CLASSES_ROOT";

    // Reads a hive file; lines it does not understand are skipped.
    static RegistryHive parse(std::string_view text);
    std::string text() const;

    // A usable key path: non-empty parts and no control characters.
    static bool isValidPath(std::string_view path);

    // Adds the key and its missing parents; false for an invalid path.
    bool addKey(std::string_view path);
    bool hasKey(std::string_view path) const;
    // False when the key does not exist.
    bool setDefaultValue(std::string_view path, std::string_view value);
    std::optional<std::string> defaultValue(std::string_view path) const;

    const std::vector<Key>& keys() const { return keys_; }

private:
    Key* find(std::string_view path);
    const Key* find(std::string_view path) const;

    std::vector<Key> keys_;
};
