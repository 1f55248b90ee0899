// The instrument-name file: every name the window and the instrument lists ask for.
#include "FuzzCheck.h"

#include "logic/base/IniProfile.h"
#include "logic/midi/InstrumentNames.h"

#include <cstdint>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<std::string> text(std::in_place, reinterpret_cast<const char*>(data), size);

    // One of the six instrument lists, and names across the whole range.
    (void)InstrumentNames::listText(text, static_cast<int>(size % InstrumentNames::listCount));
    for (int patch = 0; patch <= 127; patch += 9) {
        const std::string name = InstrumentNames::name(text, patch);
        FUZZ_CHECK(name.size() <= IniProfile::maxValueLength);
        FUZZ_CHECK(name.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    }
    // Odd section and key names the reader must take as well.
    (void)IniProfile::value(*text, "", "");
    (void)IniProfile::value(*text, " [General MIDI] ", "=");
    return 0;
}
