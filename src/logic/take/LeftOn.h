#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

// What a run of MIDI messages leaves on: the notes per channel and the
// channels whose sustain pedal is down, and the messages that end them.
class LeftOn {
public:
    void see(std::uint32_t message);
    // Note-offs for every note on and a pedal release for every pedal down,
    // channel by channel.
    std::vector<std::uint32_t> releases() const;
    void clear();

private:
    std::array<std::bitset<128>, 16> on_{};
    std::bitset<16> pedal_;
};
