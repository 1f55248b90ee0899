#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace TextLines {

// The lines of a text file, ended by CR LF, CR or LF; a last line without an
// end counts too. At most maxLines are returned.
std::vector<std::string> split(std::string_view text, std::size_t maxLines = static_cast<std::size_t>(-1));

}  // namespace TextLines
