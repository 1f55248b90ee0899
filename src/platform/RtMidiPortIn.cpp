#include "platform/RtMidiPortIn.h"

#include "midi/MidiMessages.h"
#include "platform/Logging.h"
#include "platform/MidiSystems.h"

#include <algorithm>

struct RtMidiPortIn::System {
    RtMidi::Api api;
    std::unique_ptr<RtMidiIn> port;
    std::string source;  // the connected source; empty while it is missing
};

RtMidiPortIn::RtMidiPortIn(std::string sourceName) : sourceName_(std::move(sourceName))
{
    lookTimer_.setInterval(lookIntervalMs);
    QObject::connect(&lookTimer_, &QTimer::timeout, [this] { look(); });
}

RtMidiPortIn::~RtMidiPortIn()
{
    // Closing the ports ends RtMidi's threads, which may be delivering right now.
    lookTimer_.stop();
    systems_.clear();
}

void RtMidiPortIn::setHandler(Handler handler)
{
    std::lock_guard lock(handlerMutex_);
    handler_ = std::move(handler);
}

void RtMidiPortIn::start()
{
    if (sourceName_.empty() || !systems_.empty())
        return;
    for (const RtMidi::Api api : MidiSystems::order) {
        auto port = MidiSystems::client<RtMidiIn>(api, "Velorin");
        if (!port)
            continue;
        port->setCallback(&RtMidiPortIn::arrived, this);
        // Clock, active sensing and system exclusive play nothing.
        port->ignoreTypes(true, true, true);
        if (!MidiSystems::succeeded([&] { port->openVirtualPort(portName); })) {
            qCInfo(lcMidi) << "no MIDI input through" << MidiSystems::name(api);
            continue;
        }
        systems_.push_back(std::make_unique<System>(System{api, std::move(port), {}}));
    }
    if (systems_.empty()) {
        qCWarning(lcMidi) << "no MIDI input: neither the ALSA sequencer nor a JACK server is there";
        return;
    }
    look();
    lookTimer_.start();
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
        qCInfo(lcMidi) << "the MIDI source" << s->source.c_str() << "went away";
        s->source.clear();
        reportedMissing_ = false;
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
        return;
    }
    if (!reportedMissing_) {
        qCInfo(lcMidi) << "no MIDI source" << sourceName_.c_str() << "yet: looking for it every"
                       << lookIntervalMs / 1000 << "s";
        reportedMissing_ = true;
    }
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
