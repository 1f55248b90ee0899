#pragma once

#include "platform/JackWatch.h"
#include "platform/MidiPorts.h"

#include <QTimer>

#include <memory>
#include <string>
#include <vector>

// A MIDI output port of the system, through RtMidi: the ALSA sequencer's
// ports first, then JACK's. Device 0, 1, ... is the port at that position in
// that order; device -1 is the first port whose name starts with the name
// given to the constructor.
//
// Once open, the port is looked at every 2 s: a port that went away (or a
// named one not there at the start) is looked for until it is there again,
// and the notices say so. The JACK server going away takes the port with it;
// it comes back with the server.
class RtMidiPortOut : public MidiPortOut, private JackWatch::User {
public:
    RtMidiPortOut(std::string portName, JackWatch& jack);
    ~RtMidiPortOut() override;

    int open(int deviceId) override;
    int close() override;
    void shortMsg(std::uint32_t message) override;
    void setNoticeHandler(PortNoticeHandler handler) override;

    // True while the port is looked for: open() failed only because it was
    // not there, and the output plays into it once it is.
    bool isLooking() const override { return lookTimer_.isActive() && connected_.empty(); }
    // The port played into ("client:port"), empty while there is none.
    const std::string& port() const { return connected_; }

    static constexpr int lookIntervalMs = 2000;

private:
    struct System;

    void makeClients();
    bool connect();
    void look();
    void lose(const char* why);
    void notice(bool problem, std::string text);
    void jackLost() override;
    void jackBack() override;

    std::string portName_;
    JackWatch& jack_;
    std::string wanted_;     // what the port's name starts with
    std::string connected_;  // the port played into
    std::vector<std::unique_ptr<System>> systems_;
    System* current_ = nullptr;
    PortNoticeHandler notice_;
    QTimer lookTimer_;
    bool watching_ = false;
    bool noticedMissing_ = false;
    // No ALSA sequencer at the start: not tried again on every look.
    bool alsaMissing_ = false;
};
