#include "Listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {
// "a.b.c.d:port" or "[a:b::c]:port", with IPv4-mapped IPv6 peers shown as IPv4.
std::string describe(const sockaddr_storage& address)
{
    char text[INET6_ADDRSTRLEN] = "?";
    unsigned port = 0;
    bool v6 = false;
    if (address.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
        port = ntohs(a.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
        if (IN6_IS_ADDR_V4MAPPED(&a.sin6_addr)) {
            inet_ntop(AF_INET, &a.sin6_addr.s6_addr[12], text, sizeof text);
        } else {
            inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text);
            v6 = true;
        }
        port = ntohs(a.sin6_port);
    }
    return v6 ? '[' + std::string(text) + "]:" + std::to_string(port) : std::string(text) + ':' + std::to_string(port);
}
}  // namespace

bool Listener::isAddress(const std::string& address)
{
    in6_addr scratch{};
    return address.empty() || inet_pton(AF_INET, address.c_str(), &scratch) == 1 ||
           inet_pton(AF_INET6, address.c_str(), &scratch) == 1;
}

std::string Listener::shown(const std::string& address)
{
    return address.find(':') != std::string::npos ? '[' + address + ']' : address;
}

bool Listener::open(const std::string& address, std::uint16_t port)
{
    sockaddr_storage where{};
    socklen_t size = 0;
    auto& v4 = reinterpret_cast<sockaddr_in&>(where);
    auto& v6 = reinterpret_cast<sockaddr_in6&>(where);
    if (address.empty()) {
        // Both families on one socket; IPv4 alone where IPv6 is missing.
        v6.sin6_family = AF_INET6;
        v6.sin6_addr = in6addr_any;
        v6.sin6_port = htons(port);
        size = sizeof v6;
    } else if (inet_pton(AF_INET, address.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        size = sizeof v4;
    } else if (inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        size = sizeof v6;
    } else {
        error_ = "not an address";
        return false;
    }
    Fd fd(socket(where.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid() && address.empty()) {
        where = {};
        v4.sin_family = AF_INET;
        v4.sin_addr.s_addr = htonl(INADDR_ANY);
        v4.sin_port = htons(port);
        size = sizeof v4;
        fd.reset(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    }
    if (!fd.valid()) {
        error_ = std::string("cannot make a socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1, zero = 0;
    setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (address.empty() && where.ss_family == AF_INET6)
        setsockopt(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
    if (bind(fd.get(), reinterpret_cast<const sockaddr*>(&where), size) != 0) {
        error_ = std::string("cannot bind: ") + std::strerror(errno);
        return false;
    }
    // A long queue: a crowd arriving at once is not left to retry its SYNs.
    if (::listen(fd.get(), SOMAXCONN) != 0) {
        error_ = std::string("cannot listen: ") + std::strerror(errno);
        return false;
    }
    sockaddr_storage bound{};
    socklen_t boundSize = sizeof bound;
    getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &boundSize);
    port_ = ntohs(bound.ss_family == AF_INET ? reinterpret_cast<const sockaddr_in&>(bound).sin_port
                                             : reinterpret_cast<const sockaddr_in6&>(bound).sin6_port);
    if (address.empty())
        address_ = bound.ss_family == AF_INET6 ? "[::]" : "0.0.0.0";
    else
        address_ = shown(address);
    fd_ = std::move(fd);
    return true;
}

Fd Listener::accept(std::string& peer)
{
    sockaddr_storage from{};
    socklen_t size = sizeof from;
    Fd socket(accept4(fd_.get(), reinterpret_cast<sockaddr*>(&from), &size, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (socket.valid())
        peer = describe(from);
    return socket;
}
