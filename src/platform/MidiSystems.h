#pragma once

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The MIDI systems whose ports Velorin plays from and into, in the order
// their ports are looked through: the ALSA sequencer, then JACK. Either may
// be missing (no /dev/snd/seq, no JACK server running).
namespace MidiSystems {

inline constexpr RtMidi::Api order[] = {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};

const char* name(RtMidi::Api api);

// Reports RtMidi's errors of this thread to lcMidi instead of throwing them.
void logErrors(RtMidi& client);

// A client of the system that logs its errors; null when the system cannot
// be reached at all.
template <typename Client>
std::unique_ptr<Client> client(RtMidi::Api api, const std::string& clientName);

// Opens a client "Velorin" on each system that has none in `systems` yet,
// leaving out JACK while its server is away and ALSA once it proved missing.
// `prepare` makes the new client ready and wraps it, or gives null when the
// system cannot be used; the new ones join `systems` in the systems' order,
// so that ALSA's ports stay first.
template <typename Client, typename System, typename Prepare>
void openClients(std::vector<std::unique_ptr<System>>& systems, bool jackUp, bool& alsaMissing, Prepare prepare)
{
    for (const RtMidi::Api api : order) {
        const bool open = std::any_of(systems.begin(), systems.end(), [&](const auto& s) { return s->api == api; });
        if (open || (api == RtMidi::UNIX_JACK && !jackUp) || (api == RtMidi::LINUX_ALSA && alsaMissing))
            continue;
        auto made = client<Client>(api, "Velorin");
        if (!made) {
            alsaMissing = alsaMissing || api == RtMidi::LINUX_ALSA;
            continue;
        }
        std::unique_ptr<System> system = prepare(api, std::move(made));
        if (!system)
            continue;
        const auto at = std::find_if(systems.begin(), systems.end(), [&](const auto& s) { return api < s->api; });
        systems.insert(at, std::move(system));
    }
}

// Runs a call on a client made above; false when RtMidi reported an error
// or a warning during it.
bool succeeded(const std::function<void()>& call);

std::vector<std::string> portNames(RtMidi& client);

// The first port whose name starts with the wanted name (ALSA's names end
// in client and port numbers, so a name is usually given by its start) and
// not with the unwanted one; -1 for none.
int find(const std::vector<std::string>& names, const std::string& wanted, const std::string& unwanted = {});

}  // namespace MidiSystems
