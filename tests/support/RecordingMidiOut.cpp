#include "support/RecordingMidiOut.h"

int RecordingMidiOut::open(int deviceId)
{
    deviceId_ = deviceId;
    open_ = openResult_ == 0;
    return openResult_;
}

int RecordingMidiOut::close()
{
    open_ = false;
    return 0;
}

void RecordingMidiOut::shortMsg(std::uint32_t message)
{
    if (!open_)
        return;
    messages_.push_back(message);
    if (clock_)
        times_.push_back(clock_->now());
}
