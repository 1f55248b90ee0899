#include "recorder/HiveRegistry.h"

#include "app/Files.h"
#include "recorder/RegistryHive.h"

HiveRegistry::HiveRegistry(Files& files, std::string hiveFile) : files_(files), hiveFile_(std::move(hiveFile)) {}

Registry::Key HiveRegistry::createKey(std::string_view path)
{
    // Read afresh each time: another Velorin may have written the hive since.
    RegistryHive hive = RegistryHive::parse(files_.read(hiveFile_).value_or(std::string()));
    if (!hive.addKey(path) || !files_.writeAtomically(hiveFile_, hive.text()))
        return noKey;
    const Key key = next_++;
    open_.emplace(key, std::string(path));
    return key;
}

bool HiveRegistry::setDefaultValue(Key key, std::string_view value)
{
    const auto it = open_.find(key);
    if (it == open_.end())
        return false;
    RegistryHive hive = RegistryHive::parse(files_.read(hiveFile_).value_or(std::string()));
    hive.addKey(it->second);
    hive.setDefaultValue(it->second, value);
    return files_.writeAtomically(hiveFile_, hive.text());
}

void HiveRegistry::closeKey(Key key)
{
    open_.erase(key);
}
