// The keyboard settings file as start-up reads it, and as the settings dialog
// shows it, checks it with its number rule and writes it back.
#include "FuzzCheck.h"

#include "logic/base/NumberText.h"
#include "logic/settings/SettingsFile.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const SettingsFile::KeyboardSettings s = SettingsFile::keyboardSettings(text);
    FUZZ_CHECK(s.times.find_first_of("\r\n") == std::string::npos);

    const SettingsFile::Lines lines = SettingsFile::parse(text);
    std::array<std::string, SettingsFile::lineCount> values;
    bool complete = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        complete = complete && lines[i].has_value();
        values[i] = lines[i].value_or(std::string());
        const std::string& line = values[i];
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);

        // The dialog's check: a number and nothing else, read as start-up reads it.
        const double loose = NumberText::fromText(line);
        FUZZ_CHECK(!std::isnan(loose));
        if (const auto strict = NumberText::strictNumber(line)) {
            FUZZ_CHECK(*strict == loose);
            if (const auto n = NumberText::toInt16(*strict))
                FUZZ_CHECK(std::fabs(*n - *strict) <= 0.5);
            (void)NumberText::toInt32(*strict);
        }
        (void)NumberText::toText(loose);
    }

    // What the dialog writes reads back as the same lines and the same settings.
    const std::string written = SettingsFile::serialize(values);
    const SettingsFile::Lines again = SettingsFile::parse(written);
    for (std::size_t i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(again[i] == values[i]);
    if (complete) {
        const SettingsFile::KeyboardSettings t = SettingsFile::keyboardSettings(written);
        FUZZ_CHECK(t.midiChannel == s.midiChannel && t.baseNote == s.baseNote && t.times == s.times);
        FUZZ_CHECK(t.delayMin == s.delayMin && t.delayMax == s.delayMax && t.delayValue == s.delayValue);
        FUZZ_CHECK(t.tempo == s.tempo);
    }
    return 0;
}
