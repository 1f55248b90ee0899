// The command line of the program: which sequence file it opens at start-up.
// The input is cut into arguments at NUL bytes, as a real command line is.
#include "FuzzCheck.h"

#include "logic/commandline/CommandLine.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string all(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < all.size()) {
        const auto nul = all.find('\0', start);
        arguments.push_back(all.substr(start, nul - start));
        if (nul == std::string::npos)
            break;
        start = nul + 1;
    }

    if (const auto file = CommandLine::sequenceFile(arguments)) {
        FUZZ_CHECK(file->size() >= 4 && file->compare(file->size() - 4, 4, ".mus") == 0);
        FUZZ_CHECK(file->size() <= size);
    }
    return 0;
}
