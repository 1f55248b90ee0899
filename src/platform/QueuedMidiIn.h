#pragma once

#include "logic/midi/MidiIn.h"

#include <QObject>

#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

// Moves the messages of another input, which arrive on its own threads, to
// the thread this object lives in (the GUI thread): the arriving thread only
// appends to a queue and wakes the event loop, and the handler runs there,
// in arrival order, with no lock held.
class QueuedMidiIn : public QObject, public MidiIn {
public:
    // The source must outlive this object.
    explicit QueuedMidiIn(MidiIn& source, QObject* parent = nullptr);
    ~QueuedMidiIn() override;

    // On this object's thread.
    void setHandler(Handler handler) override;
    // The source's notices already come on the thread that started it.
    void setNoticeHandler(PortNoticeHandler handler) override { source_.setNoticeHandler(std::move(handler)); }

    // Messages beyond this many waiting are dropped (and counted in the log):
    // the window has stopped taking them.
    static constexpr std::size_t capacity = 65536;

private:
    void push(std::uint32_t message);
    void drain();

    MidiIn& source_;
    std::mutex mutex_;
    std::vector<std::uint32_t> pending_;
    std::size_t dropped_ = 0;
    Handler handler_;
};
