#pragma once

#include <string>
#include <vector>

// What the updater's command line asks for.
namespace UpdateOptions {

struct Request {
    enum class Kind { Install, Help, Version, Wrong };
    Kind kind = Kind::Install;
    // --copy: install into the midi folder even from an installation under a prefix.
    bool copyFromInstallation = false;
    // For Wrong: what is wrong, in words for standard error.
    std::string problem;
};

Request parse(const std::vector<std::string>& arguments);

std::string helpText();
std::string versionText();

}  // namespace UpdateOptions
