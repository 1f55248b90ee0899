#pragma once

#include "platform/JackWatch.h"
#include "platform/MidiPorts.h"

#include <QTimer>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Velorin's own MIDI input port "Velorin", opened in each MIDI system that
// answers (the ALSA sequencer, JACK), so that a patchbay can connect to it,
// and connected to the source named in the settings: the first source port,
// ALSA's before JACK's, whose name starts with that name. A missing source is
// looked for again every 2 s, so a keyboard plugged in later is found, and a
// source that goes away is simply looked for again. When the JACK server goes
// away, the port in JACK goes with it, and comes back with the server.
//
// The handler runs on RtMidi's threads, one per system; the notices on the
// thread that started the port.
class RtMidiPortIn : public MidiPortIn, private JackWatch::User {
public:
    RtMidiPortIn(std::string sourceName, JackWatch& jack);
    ~RtMidiPortIn() override;

    void setHandler(Handler handler) override;
    void setNoticeHandler(PortNoticeHandler handler) override;

    // Opens the ports and looks for the source. With no source named it does
    // nothing: no port is opened.
    void start() override;

    // The source port taken from ("client:port"), empty while it is missing.
    std::string source() const;
    // True while the own port is open in at least one system.
    bool isOpen() const { return !systems_.empty(); }

    static constexpr int lookIntervalMs = 2000;
    static constexpr const char* portName = "Velorin";

private:
    struct System;

    // Opens the own port in each system that answers and has none yet.
    void openSystems();
    void look();
    void lose(System& system, const char* why);
    void notice(bool problem, std::string text);
    void jackLost() override;
    void jackBack() override;
    void deliver(const std::vector<unsigned char>& bytes);
    static void arrived(double deltaTime, std::vector<unsigned char>* bytes, void* self);

    std::string sourceName_;
    JackWatch& jack_;
    std::mutex handlerMutex_;
    Handler handler_;
    PortNoticeHandler notice_;
    std::vector<std::unique_ptr<System>> systems_;
    QTimer lookTimer_;
    bool started_ = false;
    bool reportedMissing_ = false;
    bool noticedMissing_ = false;
    // No ALSA sequencer at the start: not tried again when JACK comes back.
    bool alsaMissing_ = false;
};
