// The skin file as start-up reads it, and the colours it gives as the picker
// shows them.
#include "FuzzCheck.h"

#include "logic/colour/ColourFiles.h"
#include "logic/colour/ColourModel.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const ColourFiles::Skin skin = ColourFiles::parseSkin(text);
    FUZZ_CHECK(skin.backgroundText.find_first_of("\r\n") == std::string::npos);
    for (const auto& colour : {skin.background, skin.layer}) {
        if (!colour)
            continue;
        const color::Components c = color::SplitRGB(*colour);
        FUZZ_CHECK(color::GetHexVal(c.r, c.g, c.b).size() >= 6);
        (void)color::systemColourIndex(*colour);
    }

    // Written back, the same colours read again.
    if (skin.background && skin.layer) {
        const ColourFiles::Skin again = ColourFiles::parseSkin(ColourFiles::serializeSkin(*skin.background, *skin.layer));
        FUZZ_CHECK(again.background == skin.background && again.layer == skin.layer);
    }
    return 0;
}
