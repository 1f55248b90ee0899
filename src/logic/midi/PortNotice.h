#pragma once

#include <functional>
#include <string>

// What a MIDI port named in the settings is doing, for the window to tell the
// user: a problem (not found, gone away) lasts until it is mended; word that
// a port is back is good news. An empty text has nothing to say.
struct PortNotice {
    enum class Direction { Input, Output };

    Direction direction = Direction::Input;
    bool problem = false;
    std::string text;
};

using PortNoticeHandler = std::function<void(const PortNotice& notice)>;
