#pragma once

#include "Fd.h"

#include <cstdint>
#include <string>

// The server's listening socket, and the names the log gives addresses.
class Listener {
public:
    // True for the addresses open() takes: IPv4 or IPv6 text, or empty.
    static bool isAddress(const std::string& address);
    // "[a:b::c]" for IPv6 text, the address itself otherwise.
    static std::string shown(const std::string& address);

    // Listens on address and port, non-blocking; an empty address means
    // every interface, IPv4 and IPv6 (IPv4 alone where IPv6 is missing).
    bool open(const std::string& address, std::uint16_t port);
    bool isOpen() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    const std::string& error() const { return error_; }
    // As a log shows it: "[::]" when listening on both families.
    const std::string& address() const { return address_; }
    std::uint16_t port() const { return port_; }

    // The next caller, non-blocking, with its peer named "a.b.c.d:port" or
    // "[a:b::c]:port"; an invalid Fd, with errno set, when there is none.
    Fd accept(std::string& peer);

private:
    Fd fd_;
    std::string error_;
    std::string address_;
    std::uint16_t port_ = 0;
};
