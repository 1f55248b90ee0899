#pragma once

#include "logic/base/AppPaths.h"

#include <QString>

// Where Velorin's folders are on this machine, from the XDG environment.
namespace Paths {

// The midi folder ($XDG_DATA_HOME/velorin), the program folder and the
// installed data folder.
AppPaths fromEnvironment();

// The per-user settings store: $XDG_CONFIG_HOME/velorin/velorin.ini.
QString settingsStoreFile();

// The lock that keeps a second instance from starting.
QString instanceLockFile();

}  // namespace Paths
