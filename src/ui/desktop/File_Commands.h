#pragma once

#include "logic/desktop/HiveRegistry.h"

#include <string>
#include <string_view>

class Files;
class QWidget;
struct AppPaths;

// Registers the ".mus" file type at start-up: the file-type keys in Velorin's
// registry hive, and the desktop's own records of the type, so that opening a
// sequence file in a file manager starts Velorin with it. Failures are told
// in message boxes; start-up goes on after them.
class File_Commands {
public:
    File_Commands(QWidget* owner, Files& files, const AppPaths& paths);

    // Registers ".mus" as "Velorin Sequence", opened by the installed copy
    // when there is one, else by the program that runs; by an installed
    // Velorin newer than the copy, which the copy then tells the user of.
    void setmimetype();

    void RegisterFileType(const std::string& extension, const std::string& programPath, const std::string& typeName,
                          const std::string& description, const std::string& iconPath);

    static constexpr char creatingKeyFailed[] = "Error: Creating Key!";
    static constexpr char settingValueFailed[] = "Error Setting String Value!";

private:
    // Each message shows at most once for the desktop's part.
    enum Message { creatingKey, settingValue };
    void show(Message message);
    void showOnce(Message message);
    void registerWithDesktop(const std::string& extension, const std::string& description,
                             const std::string& iconPath);
    // Writes only when the content differs; false when it could not be written.
    bool put(const std::string& path, const std::string& content, bool& changed);
    // Writes Velorin's own menu entry, unless the user edited the one there.
    bool putOwnEntry(const std::string& content, bool& changed);
    // Removes the file when isOwn recognises its text; false when it stayed.
    bool drop(const std::string& path, bool (*isOwn)(std::string_view), bool& changed);
    void refreshDatabases(bool typeChanged, bool entryChanged, bool packagedType, bool packagedEntry);
    // The program that opens sequence files: the installed copy, else the one running.
    std::string openingProgram() const;
    void tellOfNewerInstallation();

    QWidget* owner_;
    Files& files_;
    const AppPaths& paths_;
    HiveRegistry registry_;
    bool shown_[2] = {false, false};
};
