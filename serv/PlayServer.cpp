#include "PlayServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cerrno>
#include <cstring>
#include <utility>

namespace {
// One read per ready client per pass, and a pass stops reading at the
// budget: a flood from a few clients cannot make one pass unbounded, and
// what is left stays ready for the next.
constexpr std::size_t readChunk = 64 * 1024;
constexpr std::size_t passBudget = 1 << 20;
// A slow reader's emptied buffer above this size goes back to the system.
constexpr std::size_t keptUnsent = 64 * 1024;

// "a.b.c.d:port", with IPv4-mapped IPv6 peers shown as IPv4.
std::string describe(const sockaddr_storage& address)
{
    char text[INET6_ADDRSTRLEN] = "?";
    unsigned port = 0;
    if (address.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
        port = ntohs(a.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
        if (IN6_IS_ADDR_V4MAPPED(&a.sin6_addr))
            inet_ntop(AF_INET, &a.sin6_addr.s6_addr[12], text, sizeof text);
        else
            inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text);
        port = ntohs(a.sin6_port);
    }
    return std::string(text) + ':' + std::to_string(port);
}

bool setEvents(int epoll, int op, int fd, std::uint32_t events)
{
    epoll_event e{};
    e.events = events;
    e.data.fd = fd;
    return epoll_ctl(epoll, op, fd, &e) == 0;
}

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// The peer left: a reset or a broken pipe is its normal going, not our error.
bool peerLeft(int error)
{
    return error == ECONNRESET || error == EPIPE;
}
}  // namespace

struct PlayServer::Client {
    Fd fd;
    std::string peer;
    ByteBuffer unsent;  // what the kernel would not take yet, oldest first
    std::size_t index = 0;  // in clients_
    bool writesWatched = false;
    bool gone = false;
    bool bridge = false;  // another door's players, not one person
};

PlayServer::PlayServer(Log log, std::size_t maxBuffered)
    : log_(std::move(log)), maxBuffered_(maxBuffered), epoll_(epoll_create1(EPOLL_CLOEXEC)),
      wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), spare_(::open("/dev/null", O_RDONLY | O_CLOEXEC)), events_(64)
{
    if (!epoll_.valid() || !wake_.valid() || !setEvents(epoll_.get(), EPOLL_CTL_ADD, wake_.get(), EPOLLIN))
        fail("cannot set up the event loop");
}

// The clients still connected are closed without a word: the server is going,
// not they.
PlayServer::~PlayServer() = default;

bool PlayServer::isAddress(const std::string& address)
{
    in6_addr scratch{};
    return address.empty() || inet_pton(AF_INET, address.c_str(), &scratch) == 1 ||
           inet_pton(AF_INET6, address.c_str(), &scratch) == 1;
}

void PlayServer::fail(const char* what)
{
    error_ = std::string(what) + ": " + std::strerror(errno);
}

bool PlayServer::listen(const std::string& address, std::uint16_t port)
{
    if (!epoll_.valid())
        return false;
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
        fail("cannot make a socket");
        return false;
    }
    const int one = 1, zero = 0;
    setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (address.empty() && where.ss_family == AF_INET6)
        setsockopt(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
    if (bind(fd.get(), reinterpret_cast<const sockaddr*>(&where), size) != 0) {
        fail("cannot bind");
        return false;
    }
    // A long queue: a crowd arriving at once is not left to retry its SYNs.
    if (::listen(fd.get(), SOMAXCONN) != 0 ||
        !setEvents(epoll_.get(), EPOLL_CTL_ADD, fd.get(), EPOLLIN)) {
        fail("cannot listen");
        return false;
    }
    sockaddr_storage bound{};
    socklen_t boundSize = sizeof bound;
    getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &boundSize);
    port_ = ntohs(bound.ss_family == AF_INET ? reinterpret_cast<const sockaddr_in&>(bound).sin_port
                                             : reinterpret_cast<const sockaddr_in6&>(bound).sin6_port);
    address_ = address.empty() ? std::string("0.0.0.0") : address;
    listener_ = std::move(fd);
    return true;
}

void PlayServer::stop()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_.get(), &one, sizeof one);
}

bool PlayServer::run()
{
    if (!listener_.valid() || !wake_.valid())
        return false;
    bool stopping = false;
    while (!stopping) {
        if (events_.size() < clients_.size() + 2)
            events_.resize(clients_.size() + 2);  // room for every socket in one pass
        const int ready = epoll_wait(epoll_.get(), events_.data(), static_cast<int>(events_.size()), -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            fail("the event loop failed");
            return false;
        }
        pass_.clear();
        for (int i = 0; i < ready; ++i) {
            const int fd = events_[static_cast<std::size_t>(i)].data.fd;
            const std::uint32_t what = events_[static_cast<std::size_t>(i)].events;
            if (fd == listener_.get()) {
                accept();
            } else if (fd == wake_.get()) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto got = ::read(wake_.get(), &count, sizeof count);
                stopping = true;
            } else if (static_cast<std::size_t>(fd) < byFd_.size() && byFd_[static_cast<std::size_t>(fd)]) {
                Client& client = *byFd_[static_cast<std::size_t>(fd)];
                if (client.gone)
                    continue;
                if ((what & (EPOLLOUT | EPOLLERR)) && client.writesWatched)
                    flush(client);
                if (!client.gone && (what & (EPOLLIN | EPOLLHUP | EPOLLERR)) && pass_.size() < passBudget)
                    read(client);
            }
        }
        fanOut();
        sweep();
    }
    return true;
}

void PlayServer::accept()
{
    for (;;) {
        sockaddr_storage from{};
        socklen_t size = sizeof from;
        const int fd = accept4(listener_.get(), reinterpret_cast<sockaddr*>(&from), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if ((errno == EMFILE || errno == ENFILE) && spare_.valid()) {
                // Out of descriptors: take the caller off the queue and close
                // it, else the listener would stay ready and spin the loop.
                spare_.reset();
                const Fd refused(accept4(listener_.get(), reinterpret_cast<sockaddr*>(&from), &size, SOCK_CLOEXEC));
                if (refused.valid())
                    log_("drop " + describe(from) + " (too many connections)");
                spare_.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
                continue;
            }
            break;
        }
        auto client = std::make_unique<Client>();
        client->fd.reset(fd);
        client->peer = describe(from);
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (!setEvents(epoll_.get(), EPOLL_CTL_ADD, fd, EPOLLIN)) {
            log_("drop " + client->peer + " (connection error)");
            continue;
        }
        if (byFd_.size() <= static_cast<std::size_t>(fd))
            byFd_.resize(static_cast<std::size_t>(fd) + 1);
        client->index = clients_.size();
        clients_.push_back(client.get());
        log_("connect " + client->peer);
        byFd_[static_cast<std::size_t>(fd)] = std::move(client);
    }
    clientCount_.store(static_cast<int>(clients_.size()), std::memory_order_relaxed);
}

bool PlayServer::adopt(Fd socket, std::string name, bool bridge)
{
    const int fd = socket.get();
    if (fd < 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0 ||
        !setEvents(epoll_.get(), EPOLL_CTL_ADD, fd, EPOLLIN)) {
        fail("cannot take the connection");
        return false;
    }
    auto client = std::make_unique<Client>();
    client->fd = std::move(socket);
    client->peer = std::move(name);
    client->bridge = bridge;
    if (byFd_.size() <= static_cast<std::size_t>(fd))
        byFd_.resize(static_cast<std::size_t>(fd) + 1);
    client->index = clients_.size();
    clients_.push_back(client.get());
    log_("connect " + client->peer);
    byFd_[static_cast<std::size_t>(fd)] = std::move(client);
    clientCount_.store(static_cast<int>(clients_.size()), std::memory_order_relaxed);
    return true;
}

void PlayServer::read(Client& client)
{
    const ssize_t got = ::recv(client.fd.get(), pass_.tail(readChunk), readChunk, 0);
    if (got > 0)
        pass_.commit(static_cast<std::size_t>(got));
    else if (got == 0 || peerLeft(errno))
        close(client, "disconnect");
    else if (!wouldBlock(errno))
        close(client, "drop", "connection error");
}

void PlayServer::fanOut()
{
    if (pass_.empty())
        return;
    // Every client, the senders included, gets the same bytes: the whole pass.
    for (Client* to : clients_) {
        if (!to->gone)
            send(*to, pass_.data(), pass_.size());
    }
}

void PlayServer::send(Client& to, const char* bytes, std::size_t size)
{
    std::size_t done = 0;
    if (to.unsent.empty()) {
        const ssize_t sent = ::send(to.fd.get(), bytes, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0)
            done = static_cast<std::size_t>(sent);
        else if (peerLeft(errno))
            return close(to, "disconnect");
        else if (!wouldBlock(errno))
            return close(to, "drop", "connection error");
        if (done == size)
            return;
    }
    // Behind what came earlier: queue, in order, up to the bound.
    if (to.unsent.size() + (size - done) > maxBuffered_)
        return close(to, "drop", "outgoing data over the bound");
    to.unsent.append(bytes + done, size - done);
    watchWrites(to, true);
}

void PlayServer::flush(Client& client)
{
    if (!client.unsent.empty()) {
        const ssize_t sent = ::send(client.fd.get(), client.unsent.data(), client.unsent.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0)
            client.unsent.consume(static_cast<std::size_t>(sent));
        else if (sent < 0 && peerLeft(errno))
            return close(client, "disconnect");
        else if (sent < 0 && !wouldBlock(errno))
            return close(client, "drop", "connection error");
    }
    if (client.unsent.empty()) {
        if (client.unsent.capacity() > keptUnsent)
            client.unsent.release();
        watchWrites(client, false);
    }
}

void PlayServer::watchWrites(Client& client, bool on)
{
    if (client.writesWatched == on)
        return;
    client.writesWatched = on;
    if (!setEvents(epoll_.get(), EPOLL_CTL_MOD, client.fd.get(), on ? EPOLLIN | EPOLLOUT : EPOLLIN))
        close(client, "drop", "connection error");
}

void PlayServer::close(Client& client, std::string_view what, std::string_view why)
{
    if (client.gone)
        return;
    client.gone = true;
    std::string line(what);
    line += ' ';
    line += client.peer;
    if (!why.empty()) {
        line += " (";
        line += why;
        line += ')';
    }
    log_(line);
    // The descriptor stays open to the end of the pass, so that no new
    // client can take its number while events for it are still being read.
    epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, client.fd.get(), nullptr);
    closing_.push_back(&client);
}

void PlayServer::sweep()
{
    if (closing_.empty())
        return;
    for (Client* client : closing_) {
        Client* last = clients_.back();
        last->index = client->index;
        clients_[client->index] = last;
        clients_.pop_back();
        byFd_[static_cast<std::size_t>(client->fd.get())].reset();
    }
    closing_.clear();
    clientCount_.store(static_cast<int>(clients_.size()), std::memory_order_relaxed);
    if (clients_.empty()) {
        // With everyone gone, hand the memory of their buffers back to the system.
        pass_.release();
        events_.resize(64);
        events_.shrink_to_fit();
#if defined(__GLIBC__)
        malloc_trim(0);
#endif
    }
}
