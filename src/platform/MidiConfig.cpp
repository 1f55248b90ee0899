#include "platform/MidiConfig.h"

#include "logic/base/NumberText.h"
#include "logic/base/SettingsStore.h"

namespace {
int positiveOr(const std::string& text, int fallback, int lowest, int highest)
{
    if (text.empty())
        return fallback;
    const auto n = NumberText::toInt32(NumberText::fromText(text));
    return n && *n >= lowest && *n <= highest ? *n : fallback;
}
}  // namespace

MidiConfig MidiConfig::read(const SettingsStore& store)
{
    MidiConfig c;
    c.output = store.value("midi", "output");
    c.input = store.value("midi", "input");
    c.soundFont = store.value("synth", "soundfont");
    c.audioDriver = store.value("synth", "audio-driver");
    c.audioFile = store.value("synth", "audio-file");
    c.periodSize = positiveOr(store.value("synth", "period-size"), c.periodSize, 16, 8192);
    c.periods = positiveOr(store.value("synth", "periods"), c.periods, 2, 64);
    return c;
}

std::vector<std::string> MidiConfig::defaultSoundFonts()
{
    return {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
            "/usr/share/sounds/sf2/TimGM6mb.sf2"};
}
