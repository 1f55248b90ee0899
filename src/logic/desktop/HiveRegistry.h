#pragma once

#include "logic/desktop/Registry.h"
#include "logic/desktop/RegistryHive.h"

#include <map>
#include <string>

class Files;

// The registry kept in one hive file. The hive is read when the registry is
// made and changes are kept until commit, which writes the file in one step
// when anything changed, so the file is whole at any moment. A key that
// cannot be written cannot be opened either, as with a registry the user
// may not change.
class HiveRegistry : public Registry {
public:
    HiveRegistry(Files& files, std::string hiveFile);

    Key createKey(std::string_view path) override;
    bool setDefaultValue(Key key, std::string_view value) override;
    void closeKey(Key key) override;

    // Writes the changes made since the hive was read; true when there were
    // none or they were written.
    bool commit();

private:
    Files& files_;
    std::string hiveFile_;
    RegistryHive hive_;
    std::string read_;
    std::map<Key, std::string> open_;
    Key next_ = 1;
};
