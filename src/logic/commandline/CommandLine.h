#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CommandLine {

// The arguments joined as one text, without the double quotes around it
// when it has them: a path with blanks that a shell split, or quoted.
std::string joined(const std::vector<std::string>& arguments);

// The sequence file named on the command line: the arguments joined as one
// text, without the double quotes around it when it has them. Only a name
// ending in ".mus" (in that case) is a sequence file.
std::optional<std::string> sequenceFile(const std::vector<std::string>& arguments);

// What a command line asks for. Options come before the file; "--" ends them.
struct Request {
    enum class Kind { Run, Help, Version, Wrong };
    Kind kind = Kind::Run;
    // The file to open, as given (the arguments joined, without surrounding quotes).
    std::optional<std::string> file;
    // For Wrong: what is wrong, in words for standard error.
    std::string problem;
};

Request parse(const std::vector<std::string>& arguments);

std::string helpText();
std::string versionText();

// True when the name ends in ".mus", in that case.
bool hasSequenceSuffix(const std::string& name);

}  // namespace CommandLine
