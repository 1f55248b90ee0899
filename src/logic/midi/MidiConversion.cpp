#include "logic/midi/MidiConversion.h"

#include "logic/base/NumberText.h"
#include "logic/base/TextLines.h"
#include "logic/keyboard/KeyMap.h"
#include "logic/recording/EventLog.h"

namespace MidiConversion {

namespace {
constexpr int velocity = 127;  // what the keyboard plays with
}

int patchFromStore(std::string_view stored)
{
    const auto number = NumberText::strictNumber(stored);
    const auto value = number ? NumberText::toInt32(*number) : std::nullopt;
    return value && *value >= 0 && *value <= 127 ? *value : 0;
}

std::optional<std::vector<StandardMidiFile::Event>> events(std::string_view log,
                                                            const SettingsFile::KeyboardSettings& settings,
                                                            int patch)
{
    const int channel = settings.midiChannel;
    if (channel < 0 || channel > 15)
        return std::nullopt;
    const auto status = [channel](int kind) { return static_cast<std::uint8_t>(kind + channel); };

    std::vector<StandardMidiFile::Event> out;
    out.push_back({0, {status(0xC0), static_cast<std::uint8_t>(patch & 0x7F)}});
    std::int64_t now = 0;
    for (const std::string& text : TextLines::split(log)) {
        const EventLog::Line line = EventLog::parse(text);
        if (line.empty)
            continue;
        const std::int64_t wait = EventLog::waitMs(line.count, settings.times, settings.tempo).value_or(0);
        const int note = line.index ? settings.baseNote + *line.index : -1;
        if (!line.rest && line.index && *line.index >= 0 && *line.index < KeyMap::keyCount && note >= 0 &&
            note <= 127) {
            const auto n = static_cast<std::uint8_t>(note);
            out.push_back({now, {status(0x90), n, velocity}});
            out.push_back({now + wait, {status(0x80), n, 0}});
        }
        now += wait;
    }
    return out;
}

}  // namespace MidiConversion
