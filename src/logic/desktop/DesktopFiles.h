#pragma once

#include <string>
#include <string_view>

// The files that tie sequence files to Velorin on a freedesktop desktop: a
// shared-mime-info package naming the file type, a desktop entry that opens
// such files with Velorin, and the user's default-application list.
namespace DesktopFiles {

inline constexpr char mimeType[] = "application/x-velorin-sequence";
inline constexpr char desktopId[] = "velorin.desktop";
inline constexpr char extension[] = ".mus";
inline constexpr char description[] = "Velorin Sequence";

// A mime package for files ending in extension (".mus"), described as description.
std::string mimePackage(std::string_view extension, std::string_view description);

// A desktop entry starting program with the file as its one argument.
std::string desktopEntry(std::string_view program, std::string_view icon);

// The Exec form of one argument: quoted and escaped where the desktop entry
// rules ask for it.
std::string execArgument(std::string_view argument);

// True when text is a desktop entry as Velorin writes one for itself (any
// program path and icon), not one a user edited or a package installed.
bool isOwnDesktopEntry(std::string_view text);
// True when text is the mime package Velorin writes for ".mus" files.
bool isOwnMimePackage(std::string_view text);

// mimeapps.list text with Velorin as the default application for mimeType
// when no default is set for it; every other line, and a default already
// set, is kept as it was.
std::string withDefaultApplication(std::string_view mimeappsList);

}  // namespace DesktopFiles
