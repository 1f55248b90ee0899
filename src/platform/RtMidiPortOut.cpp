#include "platform/RtMidiPortOut.h"

#include "midi/MidiMessages.h"
#include "platform/Logging.h"
#include "platform/MidiSystems.h"

namespace {
constexpr int errorBadDeviceId = 2;
constexpr int errorNoDevice = 68;
}  // namespace

RtMidiPortOut::RtMidiPortOut(std::string portName) : portName_(std::move(portName)) {}

RtMidiPortOut::~RtMidiPortOut() = default;

std::vector<std::string> RtMidiPortOut::portNames()
{
    std::vector<std::string> names;
    for (const RtMidi::Api api : MidiSystems::order)
        if (const auto client = MidiSystems::client<RtMidiOut>(api, "Velorin"))
            for (auto& name : MidiSystems::portNames(*client))
                names.push_back(std::move(name));
    return names;
}

int RtMidiPortOut::open(int deviceId)
{
    close();
    bool anySystem = false;
    int first = 0;  // device id of the first port of this system
    for (const RtMidi::Api api : MidiSystems::order) {
        auto client = MidiSystems::client<RtMidiOut>(api, "Velorin");
        if (!client)
            continue;
        anySystem = true;
        const auto names = MidiSystems::portNames(*client);
        int index = -1;
        if (deviceId < 0)
            index = MidiSystems::find(names, portName_);
        else if (deviceId - first < static_cast<int>(names.size()))
            index = deviceId - first;
        first += static_cast<int>(names.size());
        if (index < 0)
            continue;
        const auto i = static_cast<unsigned>(index);
        if (!MidiSystems::succeeded([&] { client->openPort(i, "Velorin out"); })) {
            qCWarning(lcMidi) << "cannot open the MIDI port" << names[i].c_str();
            return errorNoDevice;
        }
        qCInfo(lcMidi) << "MIDI out to" << names[i].c_str() << "through" << MidiSystems::name(api);
        port_ = std::move(client);
        return 0;
    }
    if (!anySystem) {
        qCWarning(lcMidi) << "no MIDI ports: neither the ALSA sequencer nor a JACK server is there";
        return errorNoDevice;
    }
    qCWarning(lcMidi) << "no MIDI port" << (deviceId < 0 ? portName_.c_str() : std::to_string(deviceId).c_str());
    return errorBadDeviceId;
}

int RtMidiPortOut::close()
{
    if (!port_)
        return 0;
    MidiSystems::succeeded([this] { port_->closePort(); });
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
    // The client logs its errors; a message that fails is lost, as on a device.
    try {
        port_->sendMessage(bytes, static_cast<size_t>(MidiMessages::byteCount(message)));
    } catch (const RtMidiError& e) {
        qCDebug(lcMidi) << "MIDI message lost:" << e.getMessage().c_str();
    }
}
