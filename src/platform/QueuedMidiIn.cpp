#include "platform/QueuedMidiIn.h"

#include "platform/Logging.h"

#include <utility>

QueuedMidiIn::QueuedMidiIn(MidiIn& source, QObject* parent) : QObject(parent), source_(source)
{
    source_.setHandler([this](std::uint32_t message) { push(message); });
}

QueuedMidiIn::~QueuedMidiIn()
{
    // After this no arriving thread touches the queue; wake-ups still posted
    // die with the object.
    source_.setHandler({});
}

void QueuedMidiIn::setHandler(Handler handler)
{
    handler_ = std::move(handler);
}

void QueuedMidiIn::push(std::uint32_t message)
{
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (pending_.size() >= capacity) {
            ++dropped_;
            return;
        }
        wake = pending_.empty();
        pending_.push_back(message);
    }
    // One wake-up per batch: a drain takes everything that waits.
    if (wake)
        QMetaObject::invokeMethod(this, &QueuedMidiIn::drain, Qt::QueuedConnection);
}

void QueuedMidiIn::drain()
{
    std::vector<std::uint32_t> batch;
    std::size_t dropped = 0;
    {
        std::lock_guard lock(mutex_);
        batch.swap(pending_);
        dropped = std::exchange(dropped_, 0);
    }
    if (dropped > 0)
        qCWarning(lcMidi) << dropped << "MIDI input messages dropped: the window did not take them in time";
    for (const std::uint32_t message : batch)
        if (handler_)
            handler_(message);
}
