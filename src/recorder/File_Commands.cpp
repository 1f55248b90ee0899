#include "recorder/File_Commands.h"

#include "app/AppPaths.h"
#include "app/Files.h"
#include "recorder/DesktopFiles.h"

#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

namespace {
constexpr int toolTimeoutMs = 5000;

// Runs a desktop tool when it is installed, with its output discarded.
void runTool(const char* name, const QStringList& arguments)
{
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (program.isEmpty())
        return;
    QProcess tool;
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(program, arguments);
    if (tool.waitForStarted() && !tool.waitForFinished(toolTimeoutMs))
        tool.kill();
    tool.waitForFinished(100);
}
}  // namespace

File_Commands::File_Commands(QWidget* owner, Files& files, const AppPaths& paths)
    : owner_(owner), files_(files), paths_(paths), registry_(files, paths.registryHive())
{
}

void File_Commands::setmimetype()
{
    RegisterFileType(".mus", paths_.installedProgram(), "mus_file", "Velorin Sequence", paths_.iconFile(files_));
}

void File_Commands::show(Message message)
{
    shown_[message] = true;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("velorin"),
                    QString::fromLatin1(message == creatingKey ? creatingKeyFailed : settingValueFailed),
                    QMessageBox::Ok, owner_);
    box.exec();
}

void File_Commands::showOnce(Message message)
{
    if (!shown_[message])
        show(message);
}

void File_Commands::RegisterFileType(const std::string& extension, const std::string& programPath,
                                     const std::string& typeName, const std::string& description,
                                     const std::string& iconPath)
{
    // One key with its value: false when the value could not be set, which
    // ends the registry's part.
    const auto keyWithValue = [this](const std::string& path, const std::string& value) {
        const Registry::Key key = registry_.createKey(path);
        if (key == Registry::noKey)
            show(creatingKey);
        if (!registry_.setDefaultValue(key, value)) {
            show(settingValue);
            registry_.closeKey(key);
            return false;
        }
        registry_.closeKey(key);
        return true;
    };
    const auto keyOnly = [this](const std::string& path) {
        const Registry::Key key = registry_.createKey(path);
        if (key == Registry::noKey)
            show(creatingKey);
        return key;
    };

    if (keyWithValue(extension, typeName) && keyWithValue(typeName, description) &&
        keyWithValue(typeName + "\\DefaultIcon", iconPath)) {
        registry_.closeKey(keyOnly(typeName + "\\shell"));
        registry_.closeKey(keyOnly(typeName + "\\shell\\open"));
        const Registry::Key command = keyOnly(typeName + "\\shell\\open\\command");
        if (!registry_.setDefaultValue(command, "\"" + programPath + "\" \"%1\""))
            show(settingValue);
        registry_.closeKey(command);
    }
    registerWithDesktop(extension, description, iconPath);
}

bool File_Commands::put(const std::string& path, const std::string& content, bool& changed)
{
    if (files_.read(path) == content)
        return true;
    changed = true;
    return files_.writeAtomically(path, content);
}

void File_Commands::registerWithDesktop(const std::string& extension, const std::string& description,
                                        const std::string& iconPath)
{
    const std::string packages = paths_.mimeDatabaseFolder() + "/packages";
    if (!files_.makeFolder(packages) || !files_.makeFolder(paths_.desktopEntryFolder()) ||
        !files_.makeFolder(paths_.userConfigFolder)) {
        showOnce(creatingKey);
        return;
    }
    // The installed copy opens the files once the updater has put it in
    // place; until then the program that runs now does.
    const std::string program =
        files_.fileExists(paths_.installedProgram()) ? paths_.installedProgram() : paths_.runningProgram();
    const std::string icon = files_.fileExists(iconPath) ? iconPath : std::string("velorin");
    // The user's list of default applications is kept whole: one that
    // exists but cannot be read is left alone.
    const auto mimeapps = files_.fileExists(paths_.mimeAppsList()) ? files_.read(paths_.mimeAppsList())
                                                                    : std::optional<std::string>(std::string());

    bool changed = false;
    const bool written = put(paths_.mimePackageFile(), DesktopFiles::mimePackage(extension, description), changed) &
                         put(paths_.desktopEntryFile(), DesktopFiles::desktopEntry(program, icon), changed) &
                         (mimeapps && put(paths_.mimeAppsList(), DesktopFiles::withDefaultApplication(*mimeapps),
                                          changed));
    if (!written)
        showOnce(settingValue);
    refreshDatabases(changed);
}

void File_Commands::refreshDatabases(bool changed)
{
    // The desktop reads the caches the tools build, not the files themselves.
    const std::string mimeFolder = paths_.mimeDatabaseFolder();
    const std::string entries = paths_.desktopEntryFolder();
    if (changed || !files_.fileExists(mimeFolder + "/mime.cache"))
        runTool("update-mime-database", {QString::fromStdString(mimeFolder)});
    if (changed || !files_.fileExists(entries + "/mimeinfo.cache"))
        runTool("update-desktop-database", {QStringLiteral("-q"), QString::fromStdString(entries)});
}
