#include "ui/desktop/File_Commands.h"

#include "logic/base/AppPaths.h"
#include "logic/base/Files.h"
#include "logic/desktop/DesktopFiles.h"

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

std::string File_Commands::openingProgram() const
{
    // The installed copy opens the files once the updater has put it in
    // place; until then the program that runs now does. A copy older than
    // an installed Velorin gives way to that one.
    if (!paths_.newerInstalledProgram.empty())
        return paths_.newerInstalledProgram;
    return files_.fileExists(paths_.installedProgram()) ? paths_.installedProgram() : paths_.runningProgram();
}

void File_Commands::setmimetype()
{
    RegisterFileType(DesktopFiles::extension, openingProgram(), "mus_file", DesktopFiles::description,
                     paths_.iconFile(files_));
    if (paths_.runningCopy && !paths_.newerInstalledProgram.empty())
        tellOfNewerInstallation();
}

void File_Commands::tellOfNewerInstallation()
{
    // Whoever starts the old copy learns why the desktop no longer does.
    QMessageBox box(QMessageBox::Information, QStringLiteral("velorin"),
                    QStringLiteral("This Velorin is an older copy that update put into the midi folder (%1). A newer "
                                   "Velorin is installed, %2: the desktop's menu and Velorin's files start that one "
                                   "now. Delete the copy to use the installed Velorin only.")
                        .arg(QString::fromStdString(paths_.installedProgram()),
                             QString::fromStdString(paths_.newerInstalledProgram)),
                    QMessageBox::Ok, owner_);
    box.exec();
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
    if (!registry_.commit())
        show(settingValue);
    registerWithDesktop(extension, description, iconPath);
}

bool File_Commands::put(const std::string& path, const std::string& content, bool& changed)
{
    if (files_.read(path) == content)
        return true;
    changed = true;
    return files_.writeAtomically(path, content);
}

bool File_Commands::putOwnEntry(const std::string& content, bool& changed)
{
    // A menu entry the user edited is theirs: it is kept as it is.
    const auto now = files_.read(paths_.desktopEntryFile());
    if (now && !DesktopFiles::isOwnDesktopEntry(*now))
        return true;
    return put(paths_.desktopEntryFile(), content, changed);
}

bool File_Commands::drop(const std::string& path, bool (*isOwn)(std::string_view), bool& changed)
{
    // Only a record an earlier start wrote goes; one the user edited stays.
    const auto text = files_.read(path);
    if (!text || !isOwn(*text))
        return true;
    changed = true;
    return files_.remove(path);
}

void File_Commands::registerWithDesktop(const std::string& extension, const std::string& description,
                                        const std::string& iconPath)
{
    // An installation the desktop reads brings its own menu entry and file
    // type; records of Velorin's own would hide them, and outlive them.
    const bool packagedEntry =
        !paths_.packagedDesktopEntry().empty() && files_.fileExists(paths_.packagedDesktopEntry());
    const bool packagedType =
        !paths_.packagedMimePackage().empty() && files_.fileExists(paths_.packagedMimePackage());
    const std::string packages = paths_.mimeDatabaseFolder() + "/packages";
    if ((!packagedType && !files_.makeFolder(packages)) ||
        (!packagedEntry && !files_.makeFolder(paths_.desktopEntryFolder())) ||
        !files_.makeFolder(paths_.userConfigFolder)) {
        showOnce(creatingKey);
        return;
    }
    const std::string icon = files_.fileExists(iconPath) ? iconPath : std::string("velorin");
    // The user's list of default applications is kept whole: one that
    // exists but cannot be read is left alone, and a default the user chose
    // for sequence files stays.
    const auto mimeapps = files_.fileExists(paths_.mimeAppsList()) ? files_.read(paths_.mimeAppsList())
                                                                    : std::optional<std::string>(std::string());

    bool typeChanged = false;
    bool entryChanged = false;
    bool listChanged = false;
    const bool written =
        (packagedType ? drop(paths_.mimePackageFile(), &DesktopFiles::isOwnMimePackage, typeChanged)
                      : put(paths_.mimePackageFile(), DesktopFiles::mimePackage(extension, description), typeChanged)) &
        (packagedEntry ? drop(paths_.desktopEntryFile(), &DesktopFiles::isOwnDesktopEntry, entryChanged)
                       : putOwnEntry(DesktopFiles::desktopEntry(openingProgram(), icon), entryChanged)) &
        (mimeapps && put(paths_.mimeAppsList(), DesktopFiles::withDefaultApplication(*mimeapps), listChanged));
    if (!written)
        showOnce(settingValue);
    refreshDatabases(typeChanged, entryChanged, packagedType, packagedEntry);
}

void File_Commands::refreshDatabases(bool typeChanged, bool entryChanged, bool packagedType, bool packagedEntry)
{
    // The desktop reads the caches the tools build, not the files themselves:
    // they are rebuilt when Velorin's own records changed, or are there but
    // not yet in a cache.
    const std::string mimeFolder = paths_.mimeDatabaseFolder();
    const std::string entries = paths_.desktopEntryFolder();
    if (typeChanged || (!packagedType && !files_.fileExists(mimeFolder + "/mime.cache")))
        runTool("update-mime-database", {QString::fromStdString(mimeFolder)});
    if (entryChanged || (!packagedEntry && !files_.fileExists(entries + "/mimeinfo.cache")))
        runTool("update-desktop-database", {QStringLiteral("-q"), QString::fromStdString(entries)});
}
