#pragma once

#include <string_view>

// The program as it was built, carried inside the updater.
std::string_view builtProgram();
