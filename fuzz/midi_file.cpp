// A MIDI file as Load reads it: the reader's promises on any bytes, the take
// made of it written and read back unchanged, a replay of it that leaves no
// note on, and the same bytes as a take's journal after a crash.
#include "FuzzCheck.h"

#include "support/ManualClock.h"
#include "logic/midi/MidiMessages.h"
#include "logic/midi/StandardMidiFileReader.h"
#include "logic/take/Take.h"
#include "logic/take/TakePlayer.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

namespace {
void checkChannelMessage(std::uint32_t m)
{
    const std::uint32_t status = m & 0xFF;
    FUZZ_CHECK(status >= 0x80 && status < 0xF0);
    FUZZ_CHECK(((m >> 8) & 0x80) == 0 && ((m >> 16) & 0x80) == 0 && (m >> 24) == 0);
    if (MidiMessages::byteCount(m) == 2)
        FUZZ_CHECK((m >> 16) == 0);
}

class Host : public TakePlayerHost {
public:
    std::array<std::bitset<128>, 16> on{};
    std::size_t sent = 0;
    bool ended = false;
    void send(std::uint32_t m) override
    {
        checkChannelMessage(m);
        ++sent;
        if ((m & 0xF0) == 0x90)
            on[m & 0x0F][(m >> 8) & 0x7F] = ((m >> 16) & 0x7F) != 0;
        else if ((m & 0xF0) == 0x80)
            on[m & 0x0F][(m >> 8) & 0x7F] = false;
    }
    void takeEnded() override { ended = true; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);

    const auto result = StandardMidiFile::read(file);
    FUZZ_CHECK(result.ok == result.error.empty());
    std::int64_t last = 0;
    for (const auto& m : result.contents.messages) {
        FUZZ_CHECK(m.microseconds >= last && m.microseconds <= StandardMidiFile::maxDurationMicroseconds);
        last = m.microseconds;
        checkChannelMessage(m.message);
    }
    FUZZ_CHECK(result.contents.messages.size() <= size);

    std::string reason;
    if (const auto take = Take::fromMidiFile(file, &reason)) {
        FUZZ_CHECK(take->size() == result.contents.messages.size());
        // The take's own file gives back the same take.
        ManualClock clock;
        Take copy(clock);
        copy.replace(*take);
        const auto again = Take::fromMidiFile(copy.toMidiFile());
        FUZZ_CHECK(again && *again == *take);

        Host host;
        TakePlayer player(host, clock);
        FUZZ_CHECK(player.start(*take) == !take->empty());
        clock.runAll();
        FUZZ_CHECK(!player.running());
        FUZZ_CHECK(host.ended == !take->empty());
        for (const auto& channel : host.on)
            FUZZ_CHECK(channel.none());
    } else {
        FUZZ_CHECK(!reason.empty());
    }

    // The same bytes as a journal, over no saved take.
    const auto recovered = Take::recover(std::nullopt, file);
    std::uint32_t lastMs = 0;
    for (const TakeEvent& e : recovered) {
        FUZZ_CHECK(e.ms >= lastMs);
        lastMs = e.ms;
        checkChannelMessage(e.message);
    }
    return 0;
}
