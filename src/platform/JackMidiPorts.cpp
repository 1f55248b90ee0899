#include "platform/JackMidiPorts.h"

#include "platform/JackWatch.h"
#include "platform/RtMidiPortIn.h"
#include "platform/RtMidiPortOut.h"

std::unique_ptr<MidiPortIn> JackMidiPorts::input(const std::string& sourceName)
{
    return std::make_unique<RtMidiPortIn>(sourceName, watch_);
}

std::unique_ptr<MidiPortOut> JackMidiPorts::output(const std::string& portName)
{
    return std::make_unique<RtMidiPortOut>(portName, watch_);
}

void JackMidiPorts::addUnmanagedClient()
{
    watch_.addUnmanagedClient();
}

void JackMidiPorts::removeUnmanagedClient()
{
    watch_.removeUnmanagedClient();
}
