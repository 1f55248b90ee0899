#pragma once

#include "logic/base/SettingsStore.h"

#include <QSettings>

// The per-user settings store, an INI file kept by QSettings.
class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(const QString& file);

    std::string value(std::string_view group, std::string_view key) const override;
    void setValue(std::string_view group, std::string_view key, std::string_view value) override;

    // Writes what was set to the file now.
    void sync();

private:
    mutable QSettings settings_;
};
