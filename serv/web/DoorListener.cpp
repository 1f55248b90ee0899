#include "DoorListener.h"

#include "DoorRules.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace {
// Out of descriptors with no spare to give up: the listener rests this long.
constexpr std::chrono::milliseconds restWhenFull{100};
// Dead peers: probes after a minute of silence, given up after two minutes,
// as the relay does.
constexpr int keepIdleSeconds = 60;
constexpr int keepIntervalSeconds = 10;
constexpr int keepProbes = 6;
constexpr unsigned userTimeoutMs = 120000;

Fd openSpare()
{
    return Fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
}
}  // namespace

DoorListener::DoorListener(asio::io_context& io, int perAddress, std::vector<std::string> uncounted,
                           std::function<bool()> hasRoom, Accepted accepted, Log log)
    : acceptor_(io), connections_(perAddress), uncounted_(std::move(uncounted)), hasRoom_(std::move(hasRoom)),
      accepted_(std::move(accepted)), log_(std::move(log)), spare_(openSpare()), pause_(io)
{
}

bool DoorListener::open(const std::string& address, std::uint16_t port)
{
    beast::error_code error;
    std::vector<tcp::endpoint> tries;
    if (address.empty()) {
        tries = {tcp::endpoint(asio::ip::address_v6::any(), port), tcp::endpoint(asio::ip::address_v4::any(), port)};
    } else {
        const auto ip = asio::ip::make_address(address, error);
        if (error) {
            error_ = "not an address: " + address;
            return false;
        }
        tries = {tcp::endpoint(ip, port)};
    }
    for (const tcp::endpoint& at : tries) {
        acceptor_.close(error);
        error = {};
        acceptor_.open(at.protocol(), error);
        if (!error && at.address().is_v6() && address.empty())
            acceptor_.set_option(asio::ip::v6_only(false), error);
        if (!error)
            acceptor_.set_option(tcp::acceptor::reuse_address(true), error);
        if (!error)
            acceptor_.bind(at, error);
        if (!error)
            acceptor_.listen(asio::socket_base::max_listen_connections, error);
        if (!error) {
            bound_ = acceptor_.local_endpoint(error);
            port_ = bound_.port();
            ::fcntl(acceptor_.native_handle(), F_SETFD, FD_CLOEXEC);
            acceptNext();
            return true;
        }
        error_ = error.message();
    }
    return false;
}

std::string DoorListener::shownAddress() const
{
    const auto ip = bound_.address();
    if (ip.is_v6())
        return "[" + ip.to_string() + "]";
    return ip.to_string();
}

void DoorListener::close()
{
    closed_ = true;
    beast::error_code ignored;
    acceptor_.close(ignored);
    pause_.cancel();
}

std::string DoorListener::addressOf(const tcp::endpoint& endpoint)
{
    const std::string text = endpoint.address().to_string();
    return DoorRules::canonicalAddress(text).value_or(text);
}

std::string DoorListener::describe(const tcp::endpoint& endpoint)
{
    const std::string address = addressOf(endpoint);
    const std::string port = std::to_string(endpoint.port());
    return address.find(':') == std::string::npos ? address + ":" + port : "[" + address + "]:" + port;
}

void DoorListener::acceptNext()
{
    if (closed_)
        return;
    acceptor_.async_accept([this](beast::error_code error, tcp::socket socket) { accepted(error, std::move(socket)); });
}

void DoorListener::accepted(beast::error_code error, tcp::socket socket)
{
    if (closed_ || error == asio::error::operation_aborted)
        return;
    if (error == asio::error::no_descriptors || error.value() == ENFILE) {
        refuseOne();
        return;
    }
    if (error) {
        acceptNext();  // the caller left before it was taken
        return;
    }
    beast::error_code ignored;
    const tcp::endpoint from = socket.remote_endpoint(ignored);
    const std::string address = addressOf(from);
    std::optional<AddressSlots::Slot> slot;
    const bool counted = std::find(uncounted_.begin(), uncounted_.end(), address) == uncounted_.end();
    if (counted)
        slot = connections_.take(address);
    if ((counted && !slot) || !hasRoom_()) {
        socket.close(ignored);
        log_("refuse " + describe(from) + " (too many connections)");
        acceptNext();
        return;
    }
    const int one = 1;
    const int fd = socket.native_handle();
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // a note is a small frame: at once
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &keepIdleSeconds, sizeof keepIdleSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &keepIntervalSeconds, sizeof keepIntervalSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &keepProbes, sizeof keepProbes);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
    accepted_(std::move(socket), from, std::move(slot));
    acceptNext();
}

// Out of descriptors: give up the spare to take the caller off the queue and
// close it, then take the spare back. Without a spare the listener would stay
// ready and spin the loop, so it rests a moment instead.
void DoorListener::refuseOne()
{
    spare_.reset();
    const int caller = ::accept4(acceptor_.native_handle(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (caller >= 0)
        ::close(caller);
    spare_ = openSpare();
    if (caller >= 0 && spare_.valid()) {
        log_("refuse a caller (out of descriptors)");
        acceptNext();
        return;
    }
    pause_.expires_after(restWhenFull);
    pause_.async_wait([this](beast::error_code error) {
        if (!error)
            acceptNext();
    });
}
