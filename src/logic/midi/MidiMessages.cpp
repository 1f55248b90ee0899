#include "logic/midi/MidiMessages.h"

namespace MidiMessages {

namespace {
bool isChannel(int c) { return c >= 0 && c <= 15; }
bool isDataByte(int v) { return v >= 0 && v <= 127; }

std::uint32_t pack(int status, int data1, int data2)
{
    return static_cast<std::uint32_t>(status) | static_cast<std::uint32_t>(data1) << 8 |
           static_cast<std::uint32_t>(data2) << 16;
}
}  // namespace

std::optional<std::uint32_t> noteOn(int channel, int note, int velocity)
{
    if (!isChannel(channel) || !isDataByte(note) || !isDataByte(velocity))
        return std::nullopt;
    return pack(0x90 + channel, note, velocity);
}

std::optional<std::uint32_t> noteOff(int channel, int note, int patch)
{
    if (!isChannel(channel) || !isDataByte(note))
        return std::nullopt;
    const int status = (patch >= 0 && patch <= 5) ? 0x8C : 0x80;
    return pack(status + channel, note, 0);
}

std::optional<std::uint32_t> programChange(int channel, int patch)
{
    if (!isChannel(channel) || !isDataByte(patch))
        return std::nullopt;
    return pack(0xC0 + channel, patch, 0);
}

std::optional<std::uint32_t> onChannel(std::uint32_t message, int channel)
{
    const unsigned status = message & 0xFF;
    if (!isChannel(channel) || status < 0x80 || status >= 0xF0)
        return std::nullopt;
    return (message & 0xFFFF00) | (status & 0xF0) | static_cast<std::uint32_t>(channel);
}

int byteCount(std::uint32_t message)
{
    const unsigned status = message & 0xFF;
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 2;
    case 0xF0:
        return status == 0xF1 || status == 0xF3 ? 2 : status == 0xF2 ? 3 : 1;
    default:
        return 3;
    }
}

}  // namespace MidiMessages
