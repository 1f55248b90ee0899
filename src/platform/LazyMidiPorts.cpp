#include "platform/LazyMidiPorts.h"

#include "platform/Logging.h"
#include "platform/PrivateLibrary.h"
#include "platform/midi/MidiLibraryApi.h"

namespace {
// An input with no source to play from: it opens nothing.
class IdleMidiPortIn : public MidiPortIn {
public:
    void setHandler(Handler) override {}
    void start() override {}
};
}  // namespace

LazyMidiPorts::LazyMidiPorts(std::string library) : library_(std::move(library)) {}

LazyMidiPorts::~LazyMidiPorts() = default;

bool LazyMidiPorts::load()
{
    if (ports_)
        return true;
    if (failed_)
        return false;
    // libjack's threads may outlive the ports: the library stays.
    const auto make = reinterpret_cast<VelorinMidiPortsMaker>(
        PrivateLibrary::entry(library_, VELORIN_MIDI_ENTRY, lcMidi(), "no MIDI ports"));
    if (!make) {
        failed_ = true;
        return false;
    }
    std::unique_ptr<MidiPorts> ports(make());
    std::lock_guard lock(unmanagedMutex_);
    for (int i = 0; i < unmanaged_; ++i)
        ports->addUnmanagedClient();
    ports_ = std::move(ports);
    return true;
}

std::unique_ptr<MidiPortIn> LazyMidiPorts::input(const std::string& sourceName)
{
    if (sourceName.empty() || !load())
        return std::make_unique<IdleMidiPortIn>();
    return ports_->input(sourceName);
}

std::unique_ptr<MidiPortOut> LazyMidiPorts::output(const std::string& portName)
{
    return load() ? ports_->output(portName) : nullptr;
}

void LazyMidiPorts::addUnmanagedClient()
{
    std::lock_guard lock(unmanagedMutex_);
    ++unmanaged_;
    if (ports_)
        ports_->addUnmanagedClient();
}

void LazyMidiPorts::removeUnmanagedClient()
{
    std::lock_guard lock(unmanagedMutex_);
    --unmanaged_;
    if (ports_)
        ports_->removeUnmanagedClient();
}
