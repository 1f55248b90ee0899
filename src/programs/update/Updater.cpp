#include "Updater.h"

#include "logic/base/AppPaths.h"
#include "logic/settings/SettingsFile.h"

#include <QDir>
#include <QSaveFile>

#include <optional>

namespace Updater {

namespace {
constexpr QFileDevice::Permissions readable = QFileDevice::ReadOwner | QFileDevice::ReadUser |
                                              QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions runnable =
    readable | QFileDevice::ExeOwner | QFileDevice::ExeUser | QFileDevice::ExeGroup | QFileDevice::ExeOther;

std::string failure(const std::string& path, const QFileDevice& file)
{
    return "cannot write " + path + ": " + file.errorString().toStdString();
}

std::optional<std::string> write(const std::string& path, std::string_view bytes, QFileDevice::Permissions mode)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, file);
    // Set on the temporary file, so the file appears with its mode in one step.
    if (!file.setPermissions(mode) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        const std::string why = failure(path, file);
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return failure(path, file);
    return std::nullopt;
}
}  // namespace

std::string defaultSettings()
{
    return SettingsFile::serialize({"0", "60", "1", "0", "100", "0"});
}

std::vector<std::string> install(const AppPaths& paths, std::string_view program, std::string_view settings)
{
    if (!QDir().mkpath(QString::fromStdString(paths.midiFolder)))
        return {"cannot create the folder " + paths.midiFolder};
    std::vector<std::string> failures;
    if (auto why = write(paths.installedProgram(), program, runnable))
        failures.push_back(*why);
    if (auto why = write(paths.keyboardSettingsFile(), settings, readable))
        failures.push_back(*why);
    return failures;
}

}  // namespace Updater
