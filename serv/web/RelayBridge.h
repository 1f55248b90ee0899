#pragma once

#include "Asio.h"

#include <functional>
#include <string>
#include <string_view>

// The door's end of the socket pair to the relay: one client of the relay
// that carries the lobby's browser players. Reads and writes never block;
// what the relay has not taken yet waits here, in order.
class RelayBridge {
public:
    using Arrival = std::function<void(std::string_view bytes)>;
    // `control`, when given, is told '1' while the bridge is eager and '0'
    // while not, so that the relay sends nothing to a door nobody listens at.
    RelayBridge(asio::io_context& io, int fd, int control, Arrival arrived, std::function<void()> closed);
    ~RelayBridge();
    RelayBridge(const RelayBridge&) = delete;
    RelayBridge& operator=(const RelayBridge&) = delete;

    void send(std::string_view bytes);
    // Eager: every arrival is read at once, for players waiting for it. Not
    // eager: what arrives is taken a few times a second, in bulk, so that a
    // door without lobby players wakes for nothing and costs the relay
    // nothing. Going eager first takes what waits.
    void setEager(bool eager);
    std::size_t unsent() const { return unsent_.size(); }

private:
    void waitForReads();
    void drainLater();
    bool readSome();
    void waitForWrites();
    void end();
    void tell(bool listening);

    asio::posix::stream_descriptor stream_;
    int control_;
    Arrival arrived_;
    std::function<void()> closed_;
    asio::steady_timer drain_;
    std::string unsent_;
    bool eager_ = false;
    bool readWaiting_ = false;
    bool writeWaiting_ = false;
    bool ended_ = false;
};
