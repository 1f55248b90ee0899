#pragma once

#include "ByteBuffer.h"
#include "Fd.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct epoll_event;

// The play server: passes every byte a client sends, unchanged and in order,
// to every connected client, the sender included.
//
// It works in passes on one epoll loop: read every client that has data, then
// hand everything read in the pass to each client in one system call. A
// backlog therefore makes the next pass bigger, not slower, and the server
// catches up. A client that does not keep up is dropped once its unsent data
// passes a bound, so that it never holds the others back.
class PlayServer {
public:
    using Log = std::function<void(std::string_view line)>;
    static constexpr std::size_t defaultMaxBuffered = 1 << 20;

    explicit PlayServer(Log log, std::size_t maxBuffered = defaultMaxBuffered);
    ~PlayServer();
    PlayServer(const PlayServer&) = delete;
    PlayServer& operator=(const PlayServer&) = delete;

    // True for the addresses listen() takes: IPv4 or IPv6 text, or empty.
    static bool isAddress(const std::string& address);
    // An empty address listens on every interface, IPv4 and IPv6.
    bool listen(const std::string& address, std::uint16_t port);
    const std::string& errorString() const { return error_; }
    const std::string& address() const { return address_; }
    std::uint16_t port() const { return port_; }
    // Safe from any thread.
    int clientCount() const { return clientCount_.load(std::memory_order_relaxed); }

    // Takes a socket that is already connected (one end of a socket pair) as
    // one more client, named as given in the log. A bridge carries the
    // players of another door, many people in one connection.
    bool adopt(Fd socket, std::string name, bool bridge = false);

    // Serves until stop(); false if the loop itself failed (errorString()).
    bool run();
    // Makes run() return after the pass under way. Safe from any thread and
    // from a signal handler; before run() it makes run() return at once.
    void stop();

private:
    struct Client;

    void accept();
    void read(Client& client);
    void flush(Client& client);
    void fanOut();
    void send(Client& to, const char* bytes, std::size_t size);
    void watchWrites(Client& client, bool on);
    void close(Client& client, std::string_view what, std::string_view why = {});
    void sweep();
    void fail(const char* what);

    Log log_;
    std::size_t maxBuffered_;
    Fd epoll_;
    Fd wake_;
    Fd listener_;
    Fd spare_;  // given up to refuse a connection cleanly when out of descriptors
    std::string error_;
    std::string address_;
    std::uint16_t port_ = 0;
    std::vector<std::unique_ptr<Client>> byFd_;
    std::vector<Client*> clients_;  // the connected, in no particular order
    std::vector<Client*> closing_;  // closed in this pass; freed at its end
    std::vector<epoll_event> events_;
    ByteBuffer pass_;  // everything read in this pass, in arrival order
    std::atomic<int> clientCount_{0};
};
