#pragma once

#include "AddressSlots.h"
#include "Asio.h"
#include "Fd.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The door's listening socket. Every caller is taken off the queue at once;
// one over the door's bounds (connections from its address, descriptors in
// all) is closed again at once, so it sees the end of its stream rather than
// silence, and no caller can make the loop spin: out of descriptors, a spare
// one is given up to take the caller and close it.
class DoorListener {
public:
    // `slot` is the caller's place among its address's connections; nothing
    // for a trusted proxy, which speaks for many.
    using Accepted = std::function<void(tcp::socket socket, const tcp::endpoint& from, std::optional<AddressSlots::Slot> slot)>;
    using Log = std::function<void(const std::string& line)>;

    DoorListener(asio::io_context& io, int perAddress, std::vector<std::string> uncounted, std::function<bool()> hasRoom,
                 Accepted accepted, Log log);

    // An empty address listens on every interface, IPv6 and IPv4.
    bool open(const std::string& address, std::uint16_t port);
    std::uint16_t port() const { return port_; }
    const std::string& error() const { return error_; }
    std::string shownAddress() const;
    void close();

    // "1.2.3.4:5" or "[::1]:5", IPv4 in IPv6 shown as IPv4.
    static std::string describe(const tcp::endpoint& endpoint);
    // The address alone, as DoorRules::canonicalAddress gives it.
    static std::string addressOf(const tcp::endpoint& endpoint);

private:
    void acceptNext();
    void accepted(beast::error_code error, tcp::socket socket);
    void refuseOne();

    tcp::acceptor acceptor_;
    AddressSlots connections_;
    std::vector<std::string> uncounted_;
    std::function<bool()> hasRoom_;
    Accepted accepted_;
    Log log_;
    Fd spare_;  // given up to refuse a caller cleanly when out of descriptors
    asio::steady_timer pause_;
    std::string error_;
    tcp::endpoint bound_;
    std::uint16_t port_ = 0;
    bool closed_ = false;
};
