// An event log as replay reads it: every line through the parser and the wait
// rule, then the whole log replayed by Player on a clock that never waits.
#include "FuzzCheck.h"

#include "support/ManualClock.h"
#include "logic/base/TextLines.h"
#include "logic/midi/MidiMessages.h"
#include "logic/midi/MidiSender.h"
#include "support/RecordingMidiOut.h"
#include "logic/recording/EventLog.h"
#include "logic/recording/Player.h"

#include <cstdint>
#include <string>

namespace {
// What the main window does for replay, minus the widgets: it sends each note
// from the lowest key's note (59 without a settings file) and keeps track of
// the one note that sounds.
class Host : public PlayerHost {
public:
    std::string times = "1";
    std::int16_t tempo = 0;
    int sounding = -1;
    int notes = 0;
    RecordingMidiOut out;
    MidiSender midi{out};

    Host() { midi.OpenMidiDevice(0); }

    void setCaption(const std::string& caption) override { FUZZ_CHECK(caption.rfind("Playing: ", 0) == 0); }
    void NoteOn(int index) override
    {
        FUZZ_CHECK(sounding == -1);  // one note at a time, each released before the next
        FUZZ_CHECK(index >= -32768 && index <= 32767);
        sounding = index;
        ++notes;
        midi.sendNoteOn(59 + index);
    }
    void NoteOff(int index) override
    {
        FUZZ_CHECK(sounding == index);
        sounding = -1;
        midi.sendNoteOff(59 + index, 0);
    }
    std::string timesText() const override { return times; }
    std::int16_t tempoValue() const override { return tempo; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string log(reinterpret_cast<const char*>(data), size);

    for (const std::string& text : TextLines::split(log)) {
        const EventLog::Line line = EventLog::parse(text);
        FUZZ_CHECK(line.empty == text.empty());
        for (const auto& [times, tempo] : {std::pair<std::string, int>{"1", 0}, {line.tag, -32768}, {" 2.5", 32767}}) {
            if (const auto wait = EventLog::waitMs(line.count, times, tempo))
                FUZZ_CHECK(*wait >= 0 && *wait <= 2147483647);
        }
    }

    // A whole replay, then one stopped after a few steps.
    for (const int steps : {1000000, static_cast<int>(size % 7)}) {
        ManualClock clock;
        Host host;
        Player player(host, clock);
        FUZZ_CHECK(player.start(log));
        if (player.running())
            FUZZ_CHECK(!player.start(log));
        clock.runAll(steps);
        if (player.running())
            player.stop();
        clock.runAll();
        FUZZ_CHECK(!player.running());
        FUZZ_CHECK(host.sounding == -1);
        FUZZ_CHECK(host.notes <= static_cast<int>(size));
        // Whatever the file holds, only well-formed note messages reach the output.
        for (const std::uint32_t m : host.out.messages()) {
            FUZZ_CHECK(MidiMessages::byteCount(m) == 3);
            FUZZ_CHECK((m & 0x80) != 0 && ((m >> 8) & 0xFF) <= 127 && ((m >> 16) & 0xFF) <= 127 && (m >> 24) == 0);
        }
    }
    return 0;
}
