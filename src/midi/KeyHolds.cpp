#include "midi/KeyHolds.h"

bool KeyHolds::press(int i, int note, int offPatch)
{
    if (!valid(i))
        return false;
    Key& k = keys_[static_cast<std::size_t>(i)];
    if (k.holds++ > 0)
        return false;
    k.sounding = Sounding{note, offPatch};
    return true;
}

std::optional<KeyHolds::Sounding> KeyHolds::release(int i)
{
    if (!valid(i))
        return std::nullopt;
    Key& k = keys_[static_cast<std::size_t>(i)];
    if (k.holds == 0 || --k.holds > 0)
        return std::nullopt;
    return k.sounding;
}

bool KeyHolds::held(int i) const
{
    return holds(i) > 0;
}

int KeyHolds::holds(int i) const
{
    return valid(i) ? keys_[static_cast<std::size_t>(i)].holds : 0;
}

KeyHolds::Sounding KeyHolds::sounding(int i) const
{
    return valid(i) ? keys_[static_cast<std::size_t>(i)].sounding : Sounding{};
}
