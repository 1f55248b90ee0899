#include "platform/MidiSystems.h"

#include "platform/Logging.h"

namespace MidiSystems {

namespace {
// RtMidi reports the errors of a call on the thread that made it.
thread_local int errorsReported = 0;

void report(RtMidiError::Type type, const std::string& text, void*)
{
    ++errorsReported;
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING)
        qCDebug(lcMidi) << text.c_str();
    else
        qCWarning(lcMidi) << text.c_str();
}
}  // namespace

const char* name(RtMidi::Api api)
{
    return api == RtMidi::LINUX_ALSA ? "ALSA" : api == RtMidi::UNIX_JACK ? "JACK" : "MIDI";
}

void logErrors(RtMidi& client)
{
    client.setErrorCallback(&report);
}

template <typename Client>
std::unique_ptr<Client> client(RtMidi::Api api, const std::string& clientName)
{
    try {
        auto c = std::make_unique<Client>(api, clientName);
        logErrors(*c);
        return c;
    } catch (const RtMidiError& e) {
        qCDebug(lcMidi) << name(api) << "is not there:" << e.getMessage().c_str();
        return nullptr;
    }
}

template std::unique_ptr<RtMidiIn> client<RtMidiIn>(RtMidi::Api, const std::string&);
template std::unique_ptr<RtMidiOut> client<RtMidiOut>(RtMidi::Api, const std::string&);

bool succeeded(const std::function<void()>& call)
{
    const int before = errorsReported;
    try {
        call();
    } catch (const RtMidiError& e) {
        report(e.getType(), e.getMessage(), nullptr);
    }
    return errorsReported == before;
}

std::vector<std::string> portNames(RtMidi& client)
{
    std::vector<std::string> names;
    succeeded([&] {
        const unsigned count = client.getPortCount();
        for (unsigned i = 0; i < count; ++i)
            names.push_back(client.getPortName(i));
    });
    return names;
}

int find(const std::vector<std::string>& names, const std::string& wanted, const std::string& unwanted)
{
    const auto startsWith = [](const std::string& name, const std::string& start) { return name.rfind(start, 0) == 0; };
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!names[i].empty() && startsWith(names[i], wanted) && !(!unwanted.empty() && startsWith(names[i], unwanted)))
            return static_cast<int>(i);
    return -1;
}

}  // namespace MidiSystems
