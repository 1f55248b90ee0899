#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CommandLine {

// The sequence file named on the command line: the arguments joined as one
// text, without the double quotes around it when it has them. Only a name
// ending in ".mus" (in that case) is a sequence file.
std::optional<std::string> sequenceFile(const std::vector<std::string>& arguments);

}  // namespace CommandLine
