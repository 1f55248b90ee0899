#pragma once

#include "ByteBuffer.h"
#include "Fd.h"
#include "Listener.h"
#include "LineLimiter.h"
#include "TokenBucket.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct epoll_event;

// The play server: passes every byte a client sends, in order, to every
// connected client, the sender included. What one client sends reaches the
// others as whole messages of its own, never joined to another's: a message
// ends with CR LF, which a sender that ends none gets after each arrival, and
// a sender that does end its messages so has a line cut across arrivals held
// back a moment for its rest.
//
// It works in passes on one epoll loop: read every client that has data, then
// hand everything read in the pass to each client in one system call. A
// backlog therefore makes the next pass bigger, not slower, and the server
// catches up. The server is meant for an open port, so no client may cost the
// others their place: a client that does not keep up is dropped once its
// unsent data passes a bound, a client that sends faster than a player could
// is read more slowly (and dropped if it keeps on), and the number of clients
// and the memory held for all of them are bounded.
class PlayServer {
public:
    using Log = std::function<void(std::string_view line)>;
    using Clock = TokenBucket::Clock;
    static constexpr std::size_t defaultMaxBuffered = 1 << 20;

    // What one client, and all of them together, may cost the server.
    struct Limits {
        int maxClients = 1024;
        // Unsent bytes one client may have waiting in the server before it is
        // dropped, and all clients together: past that the one with the most
        // waiting goes.
        std::size_t maxBuffered = defaultMaxBuffered;
        std::size_t maxQueued = std::size_t{64} << 20;
        // Bytes a second one client may send, after a burst; 0 for no bound.
        // A player sends well under 1 KB a second.
        std::size_t sendRate = 64 * 1024;
        std::size_t sendBurst = 256 * 1024;
        // A client held back by the rate this long without a break is dropped.
        std::chrono::milliseconds throttledFor{10000};
        // The system's send buffer for each client, on top of maxBuffered;
        // 0 leaves the system's own, which grows to several MB.
        int socketSendBuffer = 128 * 1024;
    };

    explicit PlayServer(Log log);
    PlayServer(Log log, Limits limits);
    ~PlayServer();
    PlayServer(const PlayServer&) = delete;
    PlayServer& operator=(const PlayServer&) = delete;

    // True for the addresses listen() takes: IPv4 or IPv6 text, or empty.
    static bool isAddress(const std::string& address);
    // "[a:b::c]" for IPv6 text, the address itself otherwise.
    static std::string shown(const std::string& address);
    // An empty address listens on every interface, IPv4 and IPv6.
    bool listen(const std::string& address, std::uint16_t port);
    const std::string& errorString() const { return error_; }
    // As a log shows it: "[::]" when listening on both families.
    const std::string& address() const { return listener_.address(); }
    std::uint16_t port() const { return listener_.port(); }
    // Safe from any thread.
    int clientCount() const { return clientCount_.load(std::memory_order_relaxed); }

    // Serves a connected stream socket as one more client, as accept() does
    // with the ones that come to the port; peer names it in the log. Call it
    // from the loop's thread (or before run()). False, with the socket
    // closed, when there is no room for it. A bridge (a socket pair to
    // another door that bounds its own clients, and speaks for many) is not
    // held to the send rate.
    enum class Kind { Player, Bridge };
    bool adopt(Fd fd, std::string peer, Kind kind = Kind::Player);
    // adopt() from any thread: the loop takes the socket in its next pass.
    void adoptLater(Fd fd, std::string peer, Kind kind);
    // Whether the bridges get the passes: a door with nobody behind its
    // bridge says so, and costs the relay no send. Safe from any thread.
    void setBridgesListening(bool listening) { bridgesListening_.store(listening, std::memory_order_relaxed); }

    // Serves until stop(); false if the loop itself failed (errorString()).
    bool run();
    // Makes run() return after the pass under way. Safe from any thread and
    // from a signal handler; before run() it makes run() return at once.
    void stop();

private:
    struct Client;

    void accept();
    void refuse(Fd socket, const std::string& peer);
    void pauseListening(bool paused);
    void read(Client& client, std::size_t share, Clock::time_point now);
    void endMessages(Client& client, std::size_t from, Clock::time_point now);
    void release(Client& client);
    void unhold(Client& client);
    void releaseHeld(Clock::time_point now);
    void armHoldTimer();
    void throttle(Client& client, Clock::time_point now);
    double leastRead() const;
    void tick(Clock::time_point now);
    void updateTicks();
    void flush(Client& client);
    void fanOut();
    void send(Client& to, const char* bytes, std::size_t size);
    void keepQueuesBounded();
    void watch(Client& client);
    void close(Client& client, std::string_view what, std::string_view why = {});
    void sweep();
    void logConnection(std::string line);
    void fail(const char* what);
    void takeMail();

    Log log_;
    Limits limits_;
    Fd epoll_;
    Fd wake_;
    Fd timer_;  // ticks only while a client is held back, log lines wait or the port is paused
    Fd holdTimer_;  // set for the first line held back for its rest
    Fd mail_;  // sockets handed over from other threads wait in adoptions_
    std::mutex mailLock_;
    struct Adoption {
        Fd fd;
        std::string peer;
        Kind kind;
    };
    std::vector<Adoption> adoptions_;
    Listener listener_;
    Fd spare_;  // given up to refuse a connection cleanly when out of descriptors
    bool listenerPaused_ = false;
    bool ticking_ = false;
    std::string error_;
    std::vector<std::unique_ptr<Client>> byFd_;
    std::vector<Client*> clients_;    // the connected, in no particular order
    std::vector<Client*> closing_;    // closed in this pass; freed at its end
    std::vector<Client*> throttled_;  // not read until the rate lets them send again
    std::vector<Client*> holding_;    // with a line that waits for its rest
    bool holdArmed_ = false;
    bool passSent_ = false;
    std::vector<epoll_event> events_;
    ByteBuffer pass_;  // everything read in this pass, in arrival order
    std::size_t queued_ = 0;  // unsent bytes of all clients
    // Connect, disconnect and drop lines: a burst, then a few a second; the
    // rest are counted and the count logged.
    LineLimiter logLines_;
    std::atomic<int> clientCount_{0};
    std::atomic<bool> bridgesListening_{true};
};
