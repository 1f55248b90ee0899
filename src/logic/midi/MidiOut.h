#pragma once

#include "logic/midi/PortNotice.h"

#include <cstdint>
#include <functional>

// One MIDI output device, driven with packed short messages: status in bits
// 0..7, first data byte in bits 8..15, second in bits 16..23.
class MidiOut {
public:
    virtual ~MidiOut() = default;

    // Device -1 is the default output; 0, 1, ... are the system's MIDI ports.
    // Returns 0 on success and an error code otherwise.
    virtual int open(int deviceId) = 0;
    virtual int close() = 0;

    // Sent to a device that is not open, a message is lost.
    virtual void shortMsg(std::uint32_t message) = 0;

    // Some outputs finish opening in the background; the handler runs on the
    // opening thread if that later fails.
    virtual void setLateFailureHandler(std::function<void()> handler) { (void)handler; }

    // An output to a port named in the settings tells this handler, on the
    // opening thread, when the port is missing, lost or back.
    virtual void setNoticeHandler(PortNoticeHandler handler) { (void)handler; }
};
