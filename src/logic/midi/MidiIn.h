#pragma once

#include "logic/midi/PortNotice.h"

#include <cstdint>
#include <functional>

// A MIDI input: the channel messages of a source, each packed as MidiOut
// takes them (status in bits 0..7, data bytes in bits 8..15 and 16..23).
// Which thread runs the handler is for each input to say.
class MidiIn {
public:
    using Handler = std::function<void(std::uint32_t message)>;

    virtual ~MidiIn() = default;

    // Messages go to this handler from now on; an empty one drops them. Once
    // this returns, the previous handler is no longer running or called.
    virtual void setHandler(Handler handler) = 0;

    // An input that looks for a source named in the settings tells this
    // handler, on the thread that started it, when the source is missing,
    // lost or back.
    virtual void setNoticeHandler(PortNoticeHandler handler) { (void)handler; }
};
