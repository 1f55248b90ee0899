#include "platform/LazyMidiPorts.h"

#include "platform/Logging.h"
#include "platform/midi/MidiLibraryApi.h"

#include <dlfcn.h>

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
    // Never closed again: Qt keeps what a loaded library registered with it,
    // and libjack's threads may outlive the ports.
    void* handle = dlopen(library_.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        const char* error = dlerror();
        qCWarning(lcMidi, "no MIDI ports: %s", error ? error : library_.c_str());
        failed_ = true;
        return false;
    }
    const auto make = reinterpret_cast<VelorinMidiPortsMaker>(dlsym(handle, VELORIN_MIDI_ENTRY));
    if (!make) {
        qCWarning(lcMidi, "no MIDI ports: %s is not a MIDI library of this version of Velorin", library_.c_str());
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
