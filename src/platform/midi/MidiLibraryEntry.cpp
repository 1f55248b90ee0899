#include "platform/JackMidiPorts.h"
#include "platform/JackWatch.h"
#include "platform/midi/MidiLibraryApi.h"

namespace {
// The watch lives as long as the ports made through it.
class WatchedPorts : public MidiPorts {
public:
    std::unique_ptr<MidiPortIn> input(const std::string& sourceName) override { return ports_.input(sourceName); }
    std::unique_ptr<MidiPortOut> output(const std::string& portName) override { return ports_.output(portName); }
    void addUnmanagedClient() override { ports_.addUnmanagedClient(); }
    void removeUnmanagedClient() override { ports_.removeUnmanagedClient(); }

private:
    JackWatch watch_;
    JackMidiPorts ports_{watch_};
};
}  // namespace

extern "C" __attribute__((visibility("default"))) MidiPorts* velorin_midi_ports_1()
{
    return new WatchedPorts();
}
