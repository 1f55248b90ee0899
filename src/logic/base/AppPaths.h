#pragma once

#include <string>
#include <string_view>
#include <vector>

class Files;

// Every place Velorin keeps or finds a file. The folders are filled in once
// at start-up from the environment; the file names live here and nowhere else.
struct AppPaths {
    std::string midiFolder;     // the user's Velorin data: settings, log, colours
    std::string programFolder;  // the folder of the running executable
    std::string dataFolder;     // the installed copy of the shipped files
    // Where else shipped files may be, in order: other installations and the
    // build folder (a copy of the program in the midi folder finds them there).
    std::vector<std::string> moreShippedFolders;
    std::string userDataFolder;    // $XDG_DATA_HOME: the desktop's file types and entries
    std::string userConfigFolder;  // $XDG_CONFIG_HOME: the desktop's default applications
    // The share folder of the installation whose menu entry and file type
    // the desktop reads ($XDG_DATA_DIRS): the one the program runs from, or
    // for an older copy in the midi folder the newer installation; empty otherwise.
    std::string desktopShareFolder;
    // The prefix of the installation the program runs from (the programs in
    // <prefix>/lib/velorin, the data in <prefix>/share/velorin); empty for a
    // build or the copy in the midi folder.
    std::string installationPrefix;
    // True when the program that runs is the copy the updater put into the midi folder.
    bool runningCopy = false;
    // An installed Velorin newer than that copy: one where the desktop finds
    // it, or the one running. Empty when there is no copy, or no newer one.
    std::string newerInstalledProgram;

    static std::string join(std::string_view folder, std::string_view name);

    std::string inMidiFolder(std::string_view name) const { return join(midiFolder, name); }
    std::string inProgramFolder(std::string_view name) const { return join(programFolder, name); }

    // A file shipped with the program: beside it first, then the installed
    // copy, then the other folders. The installed copy's name when none exists.
    std::string shippedFile(const Files& files, std::string_view name) const;

    std::string keyboardSettingsFile() const { return inMidiFolder("instruments.ini"); }
    std::string eventLog() const { return inMidiFolder("piano.ini"); }
    // The recording as it was before the last Clear, until the next recording starts.
    std::string clearedEventLog() const { return inMidiFolder("piano-cleared.ini"); }
    // The keyboard settings an installation ships, copied to a first start.
    std::string shippedKeyboardSettings(const Files& files) const { return shippedFile(files, "instruments.ini"); }
    std::string oldEventLog() const { return inMidiFolder("pianon.ini"); }
    std::string instrumentNamesFile(const Files& files) const { return shippedFile(files, "darvel.dll"); }
    std::string skinFile() const { return inMidiFolder("skincolor.ini"); }
    // Always joined with "/", as every earlier version wrote it: a folder that
    // ends in a separator gives two.
    std::string userColourFile() const { return midiFolder + "/usercolors.cps"; }
    std::string converterProgram(const Files& files) const { return shippedFile(files, "midiconv1"); }
    std::string guidePage(const Files& files) const { return shippedFile(files, "guide.html"); }
    std::string iconFile(const Files& files) const { return shippedFile(files, "velorin.svg"); }
    // The built-in synthesizer's library, which the program opens once its window shows.
    std::string synthesizerLibrary(const Files& files) const { return shippedFile(files, "synth/velorin-synth.so"); }
    // The play server connection's library, which the program opens at its first connection.
    std::string networkLibrary(const Files& files) const { return shippedFile(files, "net/velorin-net.so"); }
    // The MIDI ports' library, which the program opens when a port is first wanted.
    std::string midiLibrary(const Files& files) const { return shippedFile(files, "midi/velorin-midi.so"); }
    std::string midiFile() const { return inMidiFolder("piano.mid"); }
    // The take beside the event log, and its journal while Record is on.
    std::string takeFile() const { return inMidiFolder("take.mid"); }
    std::string takeJournal() const { return inMidiFolder("take.journal"); }

    // The program and its settings as the updater installs them.
    std::string installedProgram() const { return inMidiFolder("velorin"); }
    std::string runningProgram() const { return inProgramFolder("velorin"); }
    std::string registryHive() const { return inMidiFolder("registry.hive"); }

    std::string mimePackageFile() const { return join(userDataFolder, "mime/packages/velorin.xml"); }
    std::string mimeDatabaseFolder() const { return join(userDataFolder, "mime"); }
    std::string desktopEntryFile() const { return join(userDataFolder, "applications/velorin.desktop"); }
    std::string desktopEntryFolder() const { return join(userDataFolder, "applications"); }
    std::string mimeAppsList() const { return join(userConfigFolder, "mimeapps.list"); }
    // The menu entry and file type the installation brought; empty when the desktop does not read it.
    std::string packagedDesktopEntry() const
    {
        return desktopShareFolder.empty() ? std::string() : join(desktopShareFolder, "applications/velorin.desktop");
    }
    std::string packagedMimePackage() const
    {
        return desktopShareFolder.empty() ? std::string() : join(desktopShareFolder, "mime/packages/velorin.xml");
    }
};
