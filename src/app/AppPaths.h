#pragma once

#include <string>
#include <string_view>

class Files;

// Every place Velorin keeps or finds a file. The folders are filled in once
// at start-up from the environment; the file names live here and nowhere else.
struct AppPaths {
    std::string midiFolder;     // the user's Velorin data: settings, log, colours
    std::string programFolder;  // the folder of the running executable
    std::string dataFolder;     // the installed copy of the shipped files

    static std::string join(std::string_view folder, std::string_view name);

    std::string inMidiFolder(std::string_view name) const { return join(midiFolder, name); }
    std::string inProgramFolder(std::string_view name) const { return join(programFolder, name); }

    // A file shipped with the program: beside it first, then the installed copy.
    std::string shippedFile(const Files& files, std::string_view name) const;

    std::string keyboardSettingsFile() const { return inMidiFolder("instruments.ini"); }
    std::string eventLog() const { return inMidiFolder("piano.ini"); }
    std::string oldEventLog() const { return inMidiFolder("pianon.ini"); }
    std::string instrumentNamesFile(const Files& files) const { return shippedFile(files, "darvel.dll"); }
    std::string converterProgram() const { return inProgramFolder("midiconv1"); }
    std::string skinFile() const { return inMidiFolder("skincolor.ini"); }
    // Always joined with "/", as every earlier version wrote it: a folder that
    // ends in a separator gives two.
    std::string userColourFile() const { return midiFolder + "/usercolors.cps"; }
};
