#include "platform/RtMidiPortOut.h"

#include "midi/MidiMessages.h"
#include "platform/Logging.h"

#include <rtmidi/RtMidi.h>

namespace {
constexpr int errorBadDeviceId = 2;
constexpr int errorNoDevice = 68;

std::unique_ptr<RtMidiOut> makeClient()
{
    try {
        return std::make_unique<RtMidiOut>(RtMidi::UNSPECIFIED, "Velorin");
    } catch (const RtMidiError& e) {
        qCWarning(lcMidi) << "no MIDI ports:" << e.getMessage().c_str();
        return nullptr;
    }
}
}  // namespace

RtMidiPortOut::RtMidiPortOut(std::string portName) : portName_(std::move(portName)) {}

RtMidiPortOut::~RtMidiPortOut() = default;

std::vector<std::string> RtMidiPortOut::portNames()
{
    std::vector<std::string> names;
    auto client = makeClient();
    if (!client)
        return names;
    try {
        const unsigned count = client->getPortCount();
        for (unsigned i = 0; i < count; ++i)
            names.push_back(client->getPortName(i));
    } catch (const RtMidiError& e) {
        qCWarning(lcMidi) << "cannot list MIDI ports:" << e.getMessage().c_str();
    }
    return names;
}

int RtMidiPortOut::open(int deviceId)
{
    close();
    auto client = makeClient();
    if (!client)
        return errorNoDevice;
    try {
        const unsigned count = client->getPortCount();
        int index = deviceId;
        if (deviceId < 0) {
            index = -1;
            // Port names carry a client:port suffix, so a configured name may be a prefix.
            for (unsigned i = 0; i < count && index < 0; ++i)
                if (client->getPortName(i).rfind(portName_, 0) == 0)
                    index = static_cast<int>(i);
        }
        if (index < 0 || static_cast<unsigned>(index) >= count) {
            qCWarning(lcMidi) << "no MIDI port" << (deviceId < 0 ? portName_.c_str() : std::to_string(deviceId).c_str());
            return errorBadDeviceId;
        }
        client->openPort(static_cast<unsigned>(index), "Velorin out");
        qCInfo(lcMidi) << "MIDI out to" << client->getPortName(static_cast<unsigned>(index)).c_str();
    } catch (const RtMidiError& e) {
        qCWarning(lcMidi) << "cannot open the MIDI port:" << e.getMessage().c_str();
        return errorNoDevice;
    }
    port_ = std::move(client);
    return 0;
}

int RtMidiPortOut::close()
{
    if (!port_)
        return 0;
    try {
        port_->closePort();
    } catch (const RtMidiError&) {
    }
    port_.reset();
    return 0;
}

void RtMidiPortOut::shortMsg(std::uint32_t message)
{
    if (!port_)
        return;
    const unsigned char bytes[3] = {static_cast<unsigned char>(message & 0xFF),
                                    static_cast<unsigned char>((message >> 8) & 0x7F),
                                    static_cast<unsigned char>((message >> 16) & 0x7F)};
    try {
        port_->sendMessage(bytes, static_cast<size_t>(MidiMessages::byteCount(message)));
    } catch (const RtMidiError& e) {
        qCDebug(lcMidi) << "MIDI message lost:" << e.getMessage().c_str();
    }
}
