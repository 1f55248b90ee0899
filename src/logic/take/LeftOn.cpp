#include "logic/take/LeftOn.h"

void LeftOn::see(std::uint32_t message)
{
    const std::uint32_t kind = message & 0xF0, channel = message & 0x0F;
    const std::uint32_t d1 = (message >> 8) & 0x7F, d2 = (message >> 16) & 0x7F;
    if (kind == 0x90)
        on_[channel][d1] = d2 != 0;
    else if (kind == 0x80)
        on_[channel][d1] = false;
    else if (kind == 0xB0 && d1 == 64)
        pedal_[channel] = d2 >= 64;
}

std::vector<std::uint32_t> LeftOn::releases() const
{
    std::vector<std::uint32_t> out;
    for (std::uint32_t channel = 0; channel < 16; ++channel) {
        for (std::uint32_t note = 0; note < 128; ++note)
            if (on_[channel][note])
                out.push_back(0x80 | channel | (note << 8));
        if (pedal_[channel])
            out.push_back(0xB0 | channel | (64 << 8));
    }
    return out;
}

void LeftOn::clear()
{
    on_ = {};
    pedal_.reset();
}
