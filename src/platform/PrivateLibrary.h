#pragma once

#include <QLoggingCategory>

#include <string>

namespace PrivateLibrary {

// Opens one of Velorin's own libraries for good (never closed again: Qt keeps
// what a loaded library registered with it) and finds its entry point. Null
// when it cannot, logged under the category as "<without>: why".
void* entry(const std::string& path, const char* name, const QLoggingCategory& category, const char* without);

}  // namespace PrivateLibrary
