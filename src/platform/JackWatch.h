#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <vector>

class RtMidiIn;
class RtMidiOut;
struct _jack_client;

// The JACK server as Velorin's MIDI ports see it: whether it is there, and
// word to the ports when it goes away and when it comes back.
//
// libjack keeps one state per process for all its clients. Once the server
// has died, the first client opened afterwards throws away every client still
// open, freeing them under their owners, and a client of a dead server never
// learns about the next one. So every JACK client of the process is closed
// before the server is looked for again: on the server's loss the users hand
// their clients over (bury), they are closed on a helper thread (closing one
// can wait a second for a process thread that died), and only then is the
// server tried again, every second, with a client of the watch's own that has no
// ports. When it answers, the users open theirs again.
//
// The watch runs while it has users. All but the libjack notice of the
// server's end happens on the thread that made the watch.
class JackWatch : public QObject {
public:
    class User {
    public:
        virtual ~User() = default;
        // The server went away: every JACK client goes to bury() now.
        virtual void jackLost() = 0;
        // The server answers again: JACK clients may be opened.
        virtual void jackBack() = 0;
    };

    JackWatch();
    ~JackWatch() override;

    // The first user starts the watch: it tries the server at once.
    void add(User& user);
    void remove(User& user);

    // False while the server is away, or its old clients are still being
    // closed: no JACK client may be opened then.
    bool isUp() const { return up_; }

    // Takes a client of a server that went away, to be closed with the others.
    void bury(std::unique_ptr<RtMidiIn> client);
    void bury(std::unique_ptr<RtMidiOut> client);

    // A JACK client that the watch cannot close (the synthesizer's audio
    // through JACK): while one is open, the server is not tried again after
    // it went away, since that would free the client under its owner.
    void addUnmanagedClient() { ++unmanaged_; }
    void removeUnmanagedClient() { --unmanaged_; }

    // A failed try costs a refused connection: often enough that a port is
    // back within about a second of the server.
    static constexpr int lookIntervalMs = 1000;
    static constexpr const char* clientName = "Velorin watch";

private:
    bool openClient();
    void closeClient();
    void look();
    void lost();
    void closed();
    static void shutdown(void* self);

    std::vector<User*> users_;
    _jack_client* client_ = nullptr;
    std::atomic<bool> up_{false};
    struct Dead {
        std::vector<std::unique_ptr<RtMidiIn>> inputs;
        std::vector<std::unique_ptr<RtMidiOut>> outputs;
    };
    Dead dead_;
    std::thread closer_;
    std::future<void> closerDone_;
    bool closing_ = false;
    std::atomic<int> unmanaged_{0};  // also counted on the synthesizer's loading thread
    QTimer lookTimer_;
};
