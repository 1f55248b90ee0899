#pragma once

#include <string>
#include <string_view>
#include <vector>

struct AppPaths;

// Installs the program and the default keyboard settings into the midi folder.
namespace Updater {

// The six default lines: channel 0, base note 60, multiplier 1, tempo bar 0..100 at 0.
std::string defaultSettings();

// Creates the midi folder when missing and writes the program (runnable) and
// the settings, each through a temporary file renamed into place, so a
// failed write leaves the old file whole. One line for each failure; none
// when all went well.
std::vector<std::string> install(const AppPaths& paths, std::string_view program, std::string_view settings);

}  // namespace Updater
