#include "platform/RtMidiPortIn.h"

#include "logic/midi/MidiMessages.h"
#include "platform/Logging.h"
#include "platform/MidiSystems.h"

#include <algorithm>
#include <utility>

struct RtMidiPortIn::System {
    RtMidi::Api api;
    std::unique_ptr<RtMidiIn> port;
    std::string source;  // the connected source; empty while it is missing
};

RtMidiPortIn::RtMidiPortIn(std::string sourceName, JackWatch& jack) : sourceName_(std::move(sourceName)), jack_(jack)
{
    lookTimer_.setInterval(lookIntervalMs);
    QObject::connect(&lookTimer_, &QTimer::timeout, [this] { look(); });
}

RtMidiPortIn::~RtMidiPortIn()
{
    // Closing the ports ends RtMidi's threads, which may be delivering right now.
    lookTimer_.stop();
    if (started_)
        jack_.remove(*this);
    systems_.clear();
}

void RtMidiPortIn::setHandler(Handler handler)
{
    std::lock_guard lock(handlerMutex_);
    handler_ = std::move(handler);
}

void RtMidiPortIn::setNoticeHandler(PortNoticeHandler handler)
{
    notice_ = std::move(handler);
}

void RtMidiPortIn::start()
{
    if (sourceName_.empty() || started_)
        return;
    started_ = true;
    jack_.add(*this);
    openSystems();
    if (systems_.empty()) {
        // A JACK server started later is found by the watch.
        qCWarning(lcMidi) << "no MIDI input yet: neither the ALSA sequencer nor a JACK server is there";
        noticedMissing_ = true;
        notice(true, "MIDI in: \"" + sourceName_ + "\" not found, still looking");
        return;
    }
    look();
    lookTimer_.start();
}

void RtMidiPortIn::openSystems()
{
    MidiSystems::openClients<RtMidiIn>(systems_, jack_.isUp(), alsaMissing_,
                                       [this](RtMidi::Api api, std::unique_ptr<RtMidiIn> port) {
                                           port->setCallback(&RtMidiPortIn::arrived, this);
                                           // Clock, active sensing and system exclusive play nothing.
                                           port->ignoreTypes(true, true, true);
                                           if (!MidiSystems::succeeded([&] { port->openVirtualPort(portName); })) {
                                               qCInfo(lcMidi) << "no MIDI input through" << MidiSystems::name(api);
                                               return std::unique_ptr<System>();
                                           }
                                           return std::make_unique<System>(System{api, std::move(port), {}});
                                       });
}

std::string RtMidiPortIn::source() const
{
    for (const auto& s : systems_)
        if (!s->source.empty())
            return s->source;
    return {};
}

void RtMidiPortIn::look()
{
    for (auto& s : systems_) {
        if (s->source.empty())
            continue;
        const auto names = MidiSystems::portNames(*s->port);
        if (std::find(names.begin(), names.end(), s->source) != names.end())
            return;
        lose(*s, "went away");
        if (s->api == RtMidi::LINUX_ALSA) {
            // RtMidi takes a new connection only once the old one is closed,
            // which also stops its reading; the own port stays.
            MidiSystems::succeeded([&] {
                s->port->closePort();
                s->port->openVirtualPort(portName);
            });
        }
    }
    for (auto& s : systems_) {
        const auto names = MidiSystems::portNames(*s->port);
        // Velorin's own output would play into itself without end.
        const int index = MidiSystems::find(names, sourceName_, "Velorin");
        if (index < 0)
            continue;
        const auto i = static_cast<unsigned>(index);
        if (!MidiSystems::succeeded([&] { s->port->openPort(i, portName); }))
            continue;
        s->source = names[i];
        qCInfo(lcMidi) << "MIDI in from" << s->source.c_str() << "through" << MidiSystems::name(s->api);
        if (std::exchange(noticedMissing_, false))
            notice(false, "MIDI in: " + s->source + " is back");
        return;
    }
    if (!reportedMissing_) {
        qCInfo(lcMidi) << "no MIDI source" << sourceName_.c_str() << "yet: looking for it every"
                       << lookIntervalMs / 1000 << "s";
        reportedMissing_ = true;
    }
    if (!std::exchange(noticedMissing_, true))
        notice(true, "MIDI in: \"" + sourceName_ + "\" not found, still looking");
}

void RtMidiPortIn::lose(System& system, const char* why)
{
    qCInfo(lcMidi) << "the MIDI source" << system.source.c_str() << why;
    system.source.clear();
    reportedMissing_ = false;
    noticedMissing_ = true;
    notice(true, "MIDI in: \"" + sourceName_ + "\" lost, still looking");
}

void RtMidiPortIn::notice(bool problem, std::string text)
{
    if (notice_)
        notice_(PortNotice{PortNotice::Direction::Input, problem, std::move(text)});
}

void RtMidiPortIn::jackLost()
{
    for (auto it = systems_.begin(); it != systems_.end();) {
        System& s = **it;
        if (s.api != RtMidi::UNIX_JACK) {
            ++it;
            continue;
        }
        if (!s.source.empty())
            lose(s, "went away with the JACK server");
        s.port->cancelCallback();
        jack_.bury(std::move(s.port));
        it = systems_.erase(it);
    }
}

void RtMidiPortIn::jackBack()
{
    if (!started_)
        return;
    openSystems();
    if (systems_.empty())
        return;
    look();
    lookTimer_.start();
}

void RtMidiPortIn::arrived(double, std::vector<unsigned char>* bytes, void* self)
{
    // RtMidi's own thread: nothing may be thrown back into it.
    try {
        if (bytes)
            static_cast<RtMidiPortIn*>(self)->deliver(*bytes);
    } catch (...) {
    }
}

void RtMidiPortIn::deliver(const std::vector<unsigned char>& bytes)
{
    // System messages (clock, active sensing, system exclusive) play nothing:
    // not worth waking the window for.
    if (bytes.empty() || bytes.size() > 3 || bytes[0] >= 0xF0)
        return;
    std::uint32_t message = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        message |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    if (static_cast<std::size_t>(MidiMessages::byteCount(message)) != bytes.size())
        return;
    std::lock_guard lock(handlerMutex_);
    if (handler_)
        handler_(message);
}
