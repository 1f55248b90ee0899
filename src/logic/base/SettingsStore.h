#pragma once

#include <string>
#include <string_view>

// Per-user named values in groups; a missing value reads as empty text.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string value(std::string_view group, std::string_view key) const = 0;
    virtual void setValue(std::string_view group, std::string_view key, std::string_view value) = 0;
};
