#pragma once

#include <cstdint>
#include <optional>

// The short messages of the keyboard, packed as MidiOut takes them. A note
// outside 0..127 or a channel outside 0..15 gives no message at all.
namespace MidiMessages {

std::optional<std::uint32_t> noteOn(int channel, int note, int velocity);

// Patches 0 to 5 end their notes with status 0x8C + channel, which lets
// those piano sounds ring on; every other patch uses 0x80 + channel.
std::optional<std::uint32_t> noteOff(int channel, int note, int patch);

std::optional<std::uint32_t> programChange(int channel, int patch);

// A channel message (0x80..0xEF) moved to another channel, data unchanged.
std::optional<std::uint32_t> onChannel(std::uint32_t message, int channel);

// 1, 2 or 3: how many bytes of a packed message a MIDI port carries.
int byteCount(std::uint32_t message);

}  // namespace MidiMessages
