#include "logic/desktop/HiveRegistry.h"

#include "logic/base/Files.h"

HiveRegistry::HiveRegistry(Files& files, std::string hiveFile)
    : files_(files),
      hiveFile_(std::move(hiveFile)),
      hive_(RegistryHive::parse(files_.read(hiveFile_).value_or(std::string()))),
      read_(hive_.text())
{
}

Registry::Key HiveRegistry::createKey(std::string_view path)
{
    if (!files_.canWrite(hiveFile_) || !hive_.addKey(path))
        return noKey;
    const Key key = next_++;
    open_.emplace(key, std::string(path));
    return key;
}

bool HiveRegistry::setDefaultValue(Key key, std::string_view value)
{
    const auto it = open_.find(key);
    if (it == open_.end() || !files_.canWrite(hiveFile_))
        return false;
    return hive_.setDefaultValue(it->second, value);
}

void HiveRegistry::closeKey(Key key)
{
    open_.erase(key);
}

bool HiveRegistry::commit()
{
    const std::string text = hive_.text();
    if (text == read_)
        return true;
    if (!files_.writeAtomically(hiveFile_, text))
        return false;
    read_ = text;
    return true;
}
