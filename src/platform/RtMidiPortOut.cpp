#include "platform/RtMidiPortOut.h"

#include "logic/midi/MidiMessages.h"
#include "platform/Logging.h"
#include "platform/MidiSystems.h"

#include <algorithm>
#include <utility>

namespace {
constexpr int errorBadDeviceId = 2;
}  // namespace

struct RtMidiPortOut::System {
    RtMidi::Api api;
    std::unique_ptr<RtMidiOut> client;
};

RtMidiPortOut::RtMidiPortOut(std::string portName, JackWatch& jack) : portName_(std::move(portName)), jack_(jack)
{
    lookTimer_.setInterval(lookIntervalMs);
    QObject::connect(&lookTimer_, &QTimer::timeout, [this] { look(); });
}

RtMidiPortOut::~RtMidiPortOut()
{
    close();
}

void RtMidiPortOut::setNoticeHandler(PortNoticeHandler handler)
{
    notice_ = std::move(handler);
}

void RtMidiPortOut::makeClients()
{
    MidiSystems::openClients<RtMidiOut>(systems_, jack_.isUp(), alsaMissing_,
                                        [](RtMidi::Api api, std::unique_ptr<RtMidiOut> client) {
                                            return std::make_unique<System>(System{api, std::move(client)});
                                        });
}

int RtMidiPortOut::open(int deviceId)
{
    close();
    watching_ = true;
    jack_.add(*this);
    makeClients();
    if (deviceId >= 0) {
        int first = 0;  // device id of the first port of this system
        for (const auto& s : systems_) {
            auto names = MidiSystems::portNames(*s->client);
            if (deviceId - first < static_cast<int>(names.size())) {
                wanted_ = std::move(names[static_cast<std::size_t>(deviceId - first)]);
                break;
            }
            first += static_cast<int>(names.size());
        }
        if (wanted_.empty() || !connect()) {
            qCWarning(lcMidi) << "no MIDI port" << deviceId;
            const int error = systems_.empty() ? errorNoDevice : errorBadDeviceId;
            close();
            return error;
        }
        lookTimer_.start();
        return 0;
    }
    wanted_ = portName_;
    const bool anySystem = !systems_.empty();
    lookTimer_.start();
    if (connect())
        return 0;
    if (!anySystem)
        qCWarning(lcMidi) << "no MIDI ports yet: neither the ALSA sequencer nor a JACK server is there";
    qCWarning(lcMidi) << "no MIDI port" << wanted_.c_str() << "yet: looking for it every" << lookIntervalMs / 1000
                      << "s";
    noticedMissing_ = true;
    notice(true, "MIDI out: \"" + wanted_ + "\" not found, still looking");
    return anySystem ? errorBadDeviceId : errorNoDevice;
}

bool RtMidiPortOut::connect()
{
    for (auto& s : systems_) {
        const auto names = MidiSystems::portNames(*s->client);
        const int index = MidiSystems::find(names, wanted_);
        if (index < 0)
            continue;
        const auto i = static_cast<unsigned>(index);
        if (!MidiSystems::succeeded([&] { s->client->openPort(i, "Velorin out"); })) {
            qCWarning(lcMidi) << "cannot open the MIDI port" << names[i].c_str();
            continue;
        }
        qCInfo(lcMidi) << "MIDI out to" << names[i].c_str() << "through" << MidiSystems::name(s->api);
        connected_ = names[i];
        // Only the client that plays stays open; the others come back to look.
        auto playing = std::move(s);
        systems_.clear();
        systems_.push_back(std::move(playing));
        current_ = systems_.front().get();
        return true;
    }
    return false;
}

void RtMidiPortOut::look()
{
    if (current_) {
        const auto names = MidiSystems::portNames(*current_->client);
        if (std::find(names.begin(), names.end(), connected_) != names.end())
            return;
        // A new connection needs the old one closed.
        MidiSystems::succeeded([this] { current_->client->closePort(); });
        lose("went away");
    }
    makeClients();
    if (connect() && std::exchange(noticedMissing_, false))
        notice(false, "MIDI out: " + connected_ + " is back");
}

void RtMidiPortOut::lose(const char* why)
{
    qCWarning(lcMidi) << "the MIDI port" << connected_.c_str() << why;
    connected_.clear();
    current_ = nullptr;
    noticedMissing_ = true;
    notice(true, "MIDI out: \"" + wanted_ + "\" lost, still looking");
}

void RtMidiPortOut::notice(bool problem, std::string text)
{
    if (notice_)
        notice_(PortNotice{PortNotice::Direction::Output, problem, std::move(text)});
}

void RtMidiPortOut::jackLost()
{
    for (auto it = systems_.begin(); it != systems_.end();) {
        if ((*it)->api != RtMidi::UNIX_JACK) {
            ++it;
            continue;
        }
        if (it->get() == current_)
            lose("went away with the JACK server");
        jack_.bury(std::move((*it)->client));
        it = systems_.erase(it);
    }
}

void RtMidiPortOut::jackBack()
{
    if (!watching_ || current_)
        return;
    makeClients();
    if (connect() && std::exchange(noticedMissing_, false))
        notice(false, "MIDI out: " + connected_ + " is back");
}

int RtMidiPortOut::close()
{
    lookTimer_.stop();
    if (watching_)
        jack_.remove(*this);
    watching_ = false;
    current_ = nullptr;
    connected_.clear();
    wanted_.clear();
    noticedMissing_ = false;
    alsaMissing_ = false;
    systems_.clear();
    return 0;
}

void RtMidiPortOut::shortMsg(std::uint32_t message)
{
    if (!current_)
        return;
    const unsigned char bytes[3] = {static_cast<unsigned char>(message & 0xFF),
                                    static_cast<unsigned char>((message >> 8) & 0x7F),
                                    static_cast<unsigned char>((message >> 16) & 0x7F)};
    // The client logs its errors; a message that fails is lost, as on a device.
    try {
        current_->client->sendMessage(bytes, static_cast<size_t>(MidiMessages::byteCount(message)));
    } catch (const RtMidiError& e) {
        qCDebug(lcMidi) << "MIDI message lost:" << e.getMessage().c_str();
    }
}
