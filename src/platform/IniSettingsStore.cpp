#include "platform/IniSettingsStore.h"

namespace {
QString keyPath(std::string_view group, std::string_view key)
{
    return QString::fromUtf8(group.data(), static_cast<qsizetype>(group.size())) + QLatin1Char('/') +
           QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}
}  // namespace

IniSettingsStore::IniSettingsStore(const QString& file) : settings_(file, QSettings::IniFormat) {}

std::string IniSettingsStore::value(std::string_view group, std::string_view key) const
{
    const QVariant v = settings_.value(keyPath(group, key));
    // A list (a value written with commas) reads back as its text.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(',')).toStdString();
    return v.toString().toStdString();
}

void IniSettingsStore::setValue(std::string_view group, std::string_view key, std::string_view value)
{
    settings_.setValue(keyPath(group, key), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void IniSettingsStore::sync()
{
    settings_.sync();
}
