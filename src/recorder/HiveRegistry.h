#pragma once

#include "recorder/Registry.h"

#include <map>
#include <string>

class Files;

// The registry kept in one hive file. Every change is written at once, in
// one step, so the file is whole at any moment; a key that cannot be written
// cannot be opened either, as with a registry the user may not change.
class HiveRegistry : public Registry {
public:
    HiveRegistry(Files& files, std::string hiveFile);

    Key createKey(std::string_view path) override;
    bool setDefaultValue(Key key, std::string_view value) override;
    void closeKey(Key key) override;

private:
    Files& files_;
    std::string hiveFile_;
    std::map<Key, std::string> open_;
    Key next_ = 1;
};
