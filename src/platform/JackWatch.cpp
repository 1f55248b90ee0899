#include "platform/JackWatch.h"

#include "platform/Logging.h"

#include <rtmidi/RtMidi.h>

#include <jack/jack.h>

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <chrono>
#include <csignal>

#include <pthread.h>

namespace {
// libjack reports every failed try to reach a server that is not there, and
// a client of a dead server complains on each call: the log's business,
// and only when asked for.
void logJack(const char* text)
{
    qCDebug(lcMidi) << "JACK:" << text;
}
}  // namespace

JackWatch::JackWatch()
{
    jack_set_error_function(&logJack);
    jack_set_info_function(&logJack);
    lookTimer_.setInterval(lookIntervalMs);
    connect(&lookTimer_, &QTimer::timeout, this, &JackWatch::look);
}

JackWatch::~JackWatch()
{
    lookTimer_.stop();
    if (closer_.joinable()) {
        // A close that hangs in libjack must not keep the program from ending.
        if (closerDone_.wait_for(std::chrono::seconds(3)) == std::future_status::ready) {
            closer_.join();
        } else {
            qCWarning(lcMidi) << "the JACK clients of the old server are still closing";
            closer_.detach();
        }
    }
    dead_ = {};
    closeClient();
}

void JackWatch::add(User& user)
{
    if (std::find(users_.begin(), users_.end(), &user) != users_.end())
        return;
    users_.push_back(&user);
    if (users_.size() > 1 || client_ || closing_)
        return;
    if (!openClient()) {
        qCDebug(lcMidi) << "no JACK server yet: looking for one every" << lookIntervalMs << "ms";
        lookTimer_.start();
    }
}

void JackWatch::remove(User& user)
{
    users_.erase(std::remove(users_.begin(), users_.end(), &user), users_.end());
    if (!users_.empty())
        return;
    lookTimer_.stop();
    if (!closing_)
        closeClient();
}

void JackWatch::bury(std::unique_ptr<RtMidiIn> client)
{
    if (client)
        dead_.inputs.push_back(std::move(client));
}

void JackWatch::bury(std::unique_ptr<RtMidiOut> client)
{
    if (client)
        dead_.outputs.push_back(std::move(client));
}

bool JackWatch::openClient()
{
    client_ = jack_client_open(clientName, JackNoStartServer, nullptr);
    if (!client_)
        return false;
    // Called on libjack's thread when the server's connection ends; the
    // client need not be active for that.
    jack_on_shutdown(client_, &JackWatch::shutdown, this);
    up_ = true;
    return true;
}

void JackWatch::closeClient()
{
    up_ = false;
    if (!client_)
        return;
    jack_client_close(client_);
    client_ = nullptr;
}

void JackWatch::shutdown(void* self)
{
    auto* watch = static_cast<JackWatch*>(self);
    watch->up_ = false;
    QMetaObject::invokeMethod(watch, [watch] { watch->lost(); }, Qt::QueuedConnection);
}

void JackWatch::lost()
{
    if (!client_ || closing_)
        return;
    qCWarning(lcMidi) << "the JACK server went away";
    const auto users = users_;
    for (User* user : users)
        user->jackLost();
    closing_ = true;
    up_ = false;
    _jack_client* client = std::exchange(client_, nullptr);
    std::promise<void> done;
    closerDone_ = done.get_future();
    // Word of the end goes through the application, and only to a watch that still exists.
    closer_ = std::thread([self = QPointer<JackWatch>(this), dead = std::move(dead_), client,
                           done = std::move(done)]() mutable {
        // libjack blocks SIGPIPE only on the thread that opened its first
        // client; a write to the dead server's socket must not end the program.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        dead = {};
        jack_client_close(client);
        done.set_value();
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app,
                [self] {
                    if (self)
                        self->closed();
                },
                Qt::QueuedConnection);
        }
    });
    dead_ = {};
}

void JackWatch::closed()
{
    if (closer_.joinable())
        closer_.join();
    closing_ = false;
    // Handed over meanwhile: still clients of the dead server, and no new
    // client has been opened yet.
    dead_ = {};
    if (users_.empty())
        return;
    if (unmanaged_ > 0) {
        qCWarning(lcMidi) << "the synthesizer plays through JACK: the MIDI ports on JACK come back when Velorin "
                             "starts again";
        return;
    }
    qCInfo(lcMidi) << "looking for the JACK server every" << lookIntervalMs << "ms";
    lookTimer_.start();
}

void JackWatch::look()
{
    if (closing_ || client_ || users_.empty()) {
        lookTimer_.stop();
        return;
    }
    if (!openClient())
        return;
    lookTimer_.stop();
    qCInfo(lcMidi) << "the JACK server is there";
    const auto users = users_;
    for (User* user : users)
        user->jackBack();
}
