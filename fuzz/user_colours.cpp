// The user colour file as the palette loads it, every cell as the picker shows it.
#include "FuzzCheck.h"

#include "logic/colour/ColourFiles.h"
#include "logic/colour/ColourModel.h"

#include <cstdint>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<std::string> text(std::in_place, reinterpret_cast<const char*>(data), size);

    const ColourFiles::UserColours colours = ColourFiles::parseUserColours(text);
    for (const std::int32_t colour : colours) {
        const color::Components c = color::SplitRGB(colour);
        FUZZ_CHECK(c.r > -256 && c.r < 256 && c.g > -256 && c.g < 256 && c.b > -256 && c.b < 256);
        FUZZ_CHECK(color::GetHexVal(c.r, c.g, c.b).size() >= 6);
    }
    // Saving keeps every cell.
    FUZZ_CHECK(ColourFiles::parseUserColours(ColourFiles::serializeUserColours(colours)) == colours);
    return 0;
}
