#include "PlayServer.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {
using namespace std::chrono_literals;

// Each ready client is read once a pass, for at most an equal share of the
// pass budget (but no less than minShare), so that a flood from a few
// clients cannot make one pass unbounded nor leave out the clients that
// epoll lists after them; what is left stays ready for the next pass.
constexpr std::size_t readChunk = 64 * 1024;
constexpr std::size_t passBudget = 1 << 20;
constexpr std::size_t minShare = 4096;
// A slow reader's emptied buffer above this size goes back to the system.
constexpr std::size_t keptUnsent = 64 * 1024;
// A line cut across arrivals waits this long for its rest, as Velorin's own
// reader waits; past it, or past heldMost bytes, it goes as it stands.
constexpr auto holdFor = 40ms;
constexpr std::size_t heldMost = 4096;
// How often a held back client is looked at again.
constexpr auto tickEvery = 50ms;
// A client held back again within this time was never really below the rate.
constexpr auto throttleGap = 1s;
// Connection lines: this many at once, then this many a second.
constexpr double logBurst = 100;
constexpr double logRate = 20;
// Dead peers: probes after a minute of silence, given up after two minutes.
constexpr int keepIdleSeconds = 60;
constexpr int keepIntervalSeconds = 10;
constexpr int keepProbes = 6;
constexpr unsigned userTimeoutMs = 120000;

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

Fd openSpare()
{
    return Fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
}
}  // namespace

struct PlayServer::Client {
    Fd fd;
    std::string peer;
    std::string held;  // the start of a line, waiting for its rest
    Clock::time_point heldSince{};
    bool framed = false;  // has ended a message with CR LF
    ByteBuffer unsent;  // what the kernel would not take yet, oldest first
    std::size_t index = 0;  // in clients_
    bool writesWatched = false;
    bool heldToRate = true;
    bool readsPaused = false;  // over the send rate: in throttled_, not read
    bool gone = false;
    TokenBucket allowance;  // what it may send now
    Clock::time_point overSince{};  // held back without a break since; {} when not
    Clock::time_point lastThrottled{};
};

PlayServer::PlayServer(Log log) : PlayServer(std::move(log), Limits{}) {}

PlayServer::PlayServer(Log log, Limits limits)
    : log_(std::move(log)), limits_(limits), epoll_(epoll_create1(EPOLL_CLOEXEC)),
      wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), timer_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)),
      holdTimer_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)),
      mail_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), spare_(openSpare()), events_(64),
      logLines_(logRate, logBurst, Clock::now())
{
    if (!epoll_.valid() || !wake_.valid() || !timer_.valid() || !holdTimer_.valid() || !mail_.valid() ||
        !setEvents(epoll_.get(), EPOLL_CTL_ADD, mail_.get(), EPOLLIN) ||
        !setEvents(epoll_.get(), EPOLL_CTL_ADD, wake_.get(), EPOLLIN) ||
        !setEvents(epoll_.get(), EPOLL_CTL_ADD, timer_.get(), EPOLLIN) ||
        !setEvents(epoll_.get(), EPOLL_CTL_ADD, holdTimer_.get(), EPOLLIN))
        fail("cannot set up the event loop");
}

// The clients still connected are closed without a word: the server is going,
// not they.
PlayServer::~PlayServer() = default;

bool PlayServer::isAddress(const std::string& address)
{
    return Listener::isAddress(address);
}

std::string PlayServer::shown(const std::string& address)
{
    return Listener::shown(address);
}

void PlayServer::fail(const char* what)
{
    error_ = std::string(what) + ": " + std::strerror(errno);
}

bool PlayServer::listen(const std::string& address, std::uint16_t port)
{
    if (!epoll_.valid())
        return false;
    Listener listener;
    if (!listener.open(address, port)) {
        error_ = listener.error();
        return false;
    }
    if (!setEvents(epoll_.get(), EPOLL_CTL_ADD, listener.fd(), EPOLLIN)) {
        fail("cannot listen");
        return false;
    }
    listener_ = std::move(listener);
    return true;
}

void PlayServer::stop()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wake_.get(), &one, sizeof one);
}

bool PlayServer::run()
{
    if (!listener_.isOpen() || !wake_.valid())
        return false;
    bool stopping = false;
    while (!stopping) {
        if (events_.size() < clients_.size() + 5)
            events_.resize(clients_.size() + 5);  // room for every socket in one pass
        const int ready = epoll_wait(epoll_.get(), events_.data(), static_cast<int>(events_.size()), -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            fail("the event loop failed");
            return false;
        }
        const Clock::time_point now = Clock::now();
        std::size_t readable = 0;
        for (int i = 0; i < ready; ++i) {
            const int fd = events_[static_cast<std::size_t>(i)].data.fd;
            if (fd != listener_.fd() && fd != wake_.get() && fd != timer_.get() && fd != holdTimer_.get() && fd != mail_.get() &&
                (events_[static_cast<std::size_t>(i)].events & (EPOLLIN | EPOLLHUP | EPOLLERR)))
                ++readable;
        }
        const std::size_t share = std::clamp(passBudget / std::max<std::size_t>(readable, 1), minShare, readChunk);
        pass_.clear();
        passSent_ = false;
        for (int i = 0; i < ready; ++i) {
            const int fd = events_[static_cast<std::size_t>(i)].data.fd;
            const std::uint32_t what = events_[static_cast<std::size_t>(i)].events;
            if (fd == listener_.fd()) {
                accept();
            } else if (fd == wake_.get()) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto got = ::read(wake_.get(), &count, sizeof count);
                stopping = true;
            } else if (fd == timer_.get()) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto got = ::read(timer_.get(), &count, sizeof count);
                tick(now);
            } else if (fd == mail_.get()) {
                takeMail();
            } else if (fd == holdTimer_.get()) {
                std::uint64_t count = 0;
                [[maybe_unused]] const auto got = ::read(holdTimer_.get(), &count, sizeof count);
                releaseHeld(now);
            } else if (static_cast<std::size_t>(fd) < byFd_.size() && byFd_[static_cast<std::size_t>(fd)]) {
                Client& client = *byFd_[static_cast<std::size_t>(fd)];
                if (client.gone)
                    continue;
                if ((what & (EPOLLOUT | EPOLLERR)) && client.writesWatched)
                    flush(client);
                if (client.gone || !(what & (EPOLLIN | EPOLLHUP | EPOLLERR)))
                    continue;
                if (!client.readsPaused)
                    read(client, share, now);
                else if (what & (EPOLLHUP | EPOLLERR))
                    close(client, "disconnect");  // reported even unwatched; gone anyway
            }
        }
        fanOut();
        keepQueuesBounded();
        sweep();
        updateTicks();
    }
    return true;
}

void PlayServer::accept()
{
    for (;;) {
        std::string peer;
        Fd socket = listener_.accept(peer);
        if (!socket.valid()) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EMFILE && errno != ENFILE)
                break;
            // Out of descriptors: give up the spare to take the caller off
            // the queue and close it, then take the spare back. Without a
            // spare the listener would stay ready and spin the loop, so it is
            // left unwatched until a client leaves.
            if (!spare_.valid())
                spare_ = openSpare();
            if (!spare_.valid()) {
                pauseListening(true);
                break;
            }
            spare_.reset();
            Fd refused = listener_.accept(peer);
            const bool took = refused.valid();
            if (took)
                refuse(std::move(refused), peer);
            spare_ = openSpare();
            if (!took)
                break;
            continue;
        }
        const int fd = socket.get();
        if (static_cast<int>(clients_.size()) >= limits_.maxClients) {
            refuse(std::move(socket), peer);
            continue;
        }
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        // Peers that vanish without a word (a pulled cable, a sleeping
        // laptop) are noticed, with or without data waiting for them.
        setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &keepIdleSeconds, sizeof keepIdleSeconds);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &keepIntervalSeconds, sizeof keepIntervalSeconds);
        setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &keepProbes, sizeof keepProbes);
        setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
        if (limits_.socketSendBuffer > 0)
            setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &limits_.socketSendBuffer, sizeof limits_.socketSendBuffer);
        adopt(std::move(socket), std::move(peer));
    }
}

bool PlayServer::adopt(Fd socket, std::string peer, Kind kind)
{
    const int fd = socket.get();
    if (static_cast<int>(clients_.size()) >= limits_.maxClients) {
        refuse(std::move(socket), peer);
        return false;
    }
    if (!setEvents(epoll_.get(), EPOLL_CTL_ADD, fd, EPOLLIN)) {
        logConnection("drop " + peer + " (connection error)");
        return false;
    }
    auto client = std::make_unique<Client>();
    client->fd = std::move(socket);
    client->peer = std::move(peer);
    client->heldToRate = kind == Kind::Player;
    client->allowance = TokenBucket(static_cast<double>(limits_.sendRate), static_cast<double>(limits_.sendBurst), Clock::now());
    if (byFd_.size() <= static_cast<std::size_t>(fd))
        byFd_.resize(static_cast<std::size_t>(fd) + 1);
    client->index = clients_.size();
    clients_.push_back(client.get());
    logConnection("connect " + client->peer);
    byFd_[static_cast<std::size_t>(fd)] = std::move(client);
    clientCount_.store(static_cast<int>(clients_.size()), std::memory_order_relaxed);
    return true;
}

void PlayServer::adoptLater(Fd fd, std::string peer, Kind kind)
{
    {
        const std::lock_guard<std::mutex> hold(mailLock_);
        adoptions_.push_back({std::move(fd), std::move(peer), kind});
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(mail_.get(), &one, sizeof one);
}

void PlayServer::takeMail()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const auto got = ::read(mail_.get(), &count, sizeof count);
    std::vector<Adoption> taken;
    {
        const std::lock_guard<std::mutex> hold(mailLock_);
        taken.swap(adoptions_);
    }
    for (Adoption& a : taken)
        adopt(std::move(a.fd), std::move(a.peer), a.kind);
}

// Closed at once, so the caller sees the end of the stream rather than
// silence. What it already sent is read first: closing over unread data
// would reset the connection instead.
void PlayServer::refuse(Fd socket, const std::string& peer)
{
    char scratch[4096];
    [[maybe_unused]] const auto got = ::recv(socket.get(), scratch, sizeof scratch, MSG_DONTWAIT);
    socket.reset();
    logConnection("drop " + peer + " (too many connections)");
}

void PlayServer::pauseListening(bool paused)
{
    if (listenerPaused_ == paused)
        return;
    listenerPaused_ = paused;
    setEvents(epoll_.get(), EPOLL_CTL_MOD, listener_.fd(), paused ? 0u : static_cast<std::uint32_t>(EPOLLIN));
    log_(paused ? "out of descriptors: not accepting connections until a client leaves"
                : "accepting connections again");
}

void PlayServer::read(Client& client, std::size_t share, Clock::time_point now)
{
    std::size_t want = share;
    if (limits_.sendRate > 0 && client.heldToRate) {
        client.allowance.refill(now);
        const double allowed = client.allowance.available(now);
        // Not read below a few KB, so that a held back client is read in a
        // few pieces a second, not in a trickle of tiny ones.
        if (allowed < leastRead())
            return throttle(client, now);
        want = std::min(want, static_cast<std::size_t>(allowed));
    }
    // What it held back goes first: the new bytes may be its rest.
    const std::size_t from = pass_.size();
    const std::size_t held = client.held.size();
    pass_.append(client.held.data(), held);
    const ssize_t got = ::recv(client.fd.get(), pass_.tail(want), want, 0);
    if (got > 0) {
        pass_.commit(static_cast<std::size_t>(got));
        client.allowance.spend(static_cast<double>(got));
        // A bridge that speaks has someone behind it, who hears the echo,
        // even before its door's word arrives.
        if (!client.heldToRate)
            bridgesListening_.store(true, std::memory_order_relaxed);
        endMessages(client, from, now);
        return;
    }
    pass_.truncate(held);
    if (got == 0 || peerLeft(errno)) {
        close(client, "disconnect");
    } else if (!wouldBlock(errno)) {
        close(client, "drop", "connection error");
    }
}

// The pass from `from` on is what the client sent (with what it held back in
// front). No other sender's bytes may follow it before CR LF: a sender that
// has never ended a message so is one of the kind that sends one message a
// write, and gets CR LF after each arrival; from one that has, text after the
// last CR LF is the start of a line whose rest is still on its way.
void PlayServer::endMessages(Client& client, std::size_t from, Clock::time_point now)
{
    const char* begin = pass_.data() + from;
    const std::size_t size = pass_.size() - from;
    if (size >= 2 && begin[size - 2] == '\r' && begin[size - 1] == '\n') {
        client.framed = true;
        unhold(client);
        return;
    }
    std::size_t ended = 0;  // just after the last CR LF
    for (std::size_t i = size - 1; i > 0; --i) {
        if (begin[i] == '\n' && begin[i - 1] == '\r') {
            ended = i + 1;
            break;
        }
    }
    if (ended > 0)
        client.framed = true;
    const std::size_t rest = size - ended;
    if (!client.framed || rest > heldMost) {
        pass_.append("\r\n", 2);
        unhold(client);
        return;
    }
    const bool wasHolding = !client.held.empty();
    client.held.assign(begin + ended, rest);
    pass_.truncate(rest);
    if (!wasHolding || ended > 0)
        client.heldSince = now;  // a new line
    if (!wasHolding) {
        holding_.push_back(&client);
        armHoldTimer();
    }
}

// Its held line goes out as it stands, ended.
void PlayServer::release(Client& client)
{
    if (client.held.empty())
        return;
    pass_.append(client.held.data(), client.held.size());
    pass_.append("\r\n", 2);
    unhold(client);
}

void PlayServer::unhold(Client& client)
{
    if (client.held.empty())
        return;
    std::string().swap(client.held);
    holding_.erase(std::find(holding_.begin(), holding_.end(), &client));
}

void PlayServer::releaseHeld(Clock::time_point now)
{
    holdArmed_ = false;
    for (std::size_t i = 0; i < holding_.size();) {
        Client& client = *holding_[i];
        if (now - client.heldSince >= holdFor)
            release(client);  // takes it off holding_
        else
            ++i;
    }
    armHoldTimer();
}

void PlayServer::armHoldTimer()
{
    if (holdArmed_ || holding_.empty())
        return;
    Clock::time_point first = holding_.front()->heldSince;
    for (const Client* c : holding_)
        first = std::min(first, c->heldSince);
    const auto wait = std::max<Clock::duration>(first + holdFor - Clock::now(), 1ms);
    itimerspec at{};
    at.it_value.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
    at.it_value.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(wait % 1s).count();
    timerfd_settime(holdTimer_.get(), 0, &at, nullptr);
    holdArmed_ = true;
}

double PlayServer::leastRead() const
{
    return static_cast<double>(std::min(minShare, limits_.sendBurst));
}

// The client is left unwatched for reading, so that level-triggered epoll
// does not report it again and again; the timer takes it back. Held back
// again within a second, it has been over the rate all along: what it sent
// may well have arrived in small pieces (the kernel's window is small for a
// reader this slow), so a read that empties its queue proves nothing.
void PlayServer::throttle(Client& client, Clock::time_point now)
{
    if (client.overSince == Clock::time_point{} || now - client.lastThrottled > throttleGap)
        client.overSince = now;
    client.lastThrottled = now;
    client.readsPaused = true;
    throttled_.push_back(&client);
    watch(client);
}

void PlayServer::tick(Clock::time_point now)
{
    for (std::size_t i = 0; i < throttled_.size();) {
        Client& client = *throttled_[i];
        if (now - client.overSince >= limits_.throttledFor) {
            close(client, "drop", "sending over the bound");  // takes it off throttled_
            continue;
        }
        if (client.allowance.available(now) < leastRead()) {
            ++i;
            continue;
        }
        client.lastThrottled = now;
        client.readsPaused = false;
        throttled_[i] = throttled_.back();
        throttled_.pop_back();
        watch(client);
    }
    if (auto line = logLines_.leftOutLine(now))
        log_(std::move(*line));
    if (listenerPaused_) {
        if (!spare_.valid())
            spare_ = openSpare();
        if (spare_.valid())
            pauseListening(false);
    }
}

// The timer runs only while it has something to do, so that an idle server
// sleeps.
void PlayServer::updateTicks()
{
    const bool needed = !throttled_.empty() || logLines_.leavingOut() || listenerPaused_;
    if (needed == ticking_)
        return;
    ticking_ = needed;
    itimerspec every{};
    if (needed) {
        every.it_interval.tv_nsec = std::chrono::nanoseconds(tickEvery).count();
        every.it_value = every.it_interval;
    }
    timerfd_settime(timer_.get(), 0, &every, nullptr);
}

void PlayServer::fanOut()
{
    passSent_ = true;
    if (pass_.empty())
        return;
    // Every client, the senders included, gets the same bytes: the whole pass.
    const bool bridges = bridgesListening_.load(std::memory_order_relaxed);
    for (Client* to : clients_) {
        if (!to->gone && (to->heldToRate || bridges))
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
    if (to.unsent.size() + (size - done) > limits_.maxBuffered)
        return close(to, "drop", "outgoing data over the bound");
    to.unsent.append(bytes + done, size - done);
    queued_ += size - done;
    if (!to.writesWatched) {
        to.writesWatched = true;
        watch(to);
    }
}

// Past the bound for all queues together, the clients that hold the most go
// first: they are the ones that do not read.
void PlayServer::keepQueuesBounded()
{
    while (queued_ > limits_.maxQueued) {
        Client* most = nullptr;
        for (Client* c : clients_)
            if (!c->gone && (!most || c->unsent.size() > most->unsent.size()))
                most = c;
        if (!most || most->unsent.empty())
            return;
        close(*most, "drop", "outgoing data over the server's bound");
    }
}

void PlayServer::flush(Client& client)
{
    if (!client.unsent.empty()) {
        const ssize_t sent = ::send(client.fd.get(), client.unsent.data(), client.unsent.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            client.unsent.consume(static_cast<std::size_t>(sent));
            queued_ -= static_cast<std::size_t>(sent);
        } else if (sent < 0 && peerLeft(errno)) {
            return close(client, "disconnect");
        } else if (sent < 0 && !wouldBlock(errno)) {
            return close(client, "drop", "connection error");
        }
    }
    if (client.unsent.empty()) {
        if (client.unsent.capacity() > keptUnsent)
            client.unsent.release();
        client.writesWatched = false;
        watch(client);
    }
}

void PlayServer::watch(Client& client)
{
    const std::uint32_t events = (client.readsPaused ? 0u : static_cast<std::uint32_t>(EPOLLIN)) |
                                 (client.writesWatched ? static_cast<std::uint32_t>(EPOLLOUT) : 0u);
    if (!setEvents(epoll_.get(), EPOLL_CTL_MOD, client.fd.get(), events))
        close(client, "drop", "connection error");
}

void PlayServer::close(Client& client, std::string_view what, std::string_view why)
{
    if (client.gone)
        return;
    client.gone = true;
    queued_ -= client.unsent.size();
    // A line it left unfinished still goes to the others in this pass.
    if (!passSent_)
        release(client);
    unhold(client);
    if (client.readsPaused)
        throttled_.erase(std::find(throttled_.begin(), throttled_.end(), &client));
    std::string line(what);
    line += ' ';
    line += client.peer;
    if (!why.empty()) {
        line += " (";
        line += why;
        line += ')';
    }
    logConnection(std::move(line));
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
    if (listenerPaused_) {
        // A descriptor is free again: take the spare back if it can be had,
        // and take callers again either way.
        if (!spare_.valid())
            spare_ = openSpare();
        pauseListening(false);
    }
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

// Connections come and go at whatever rate the clients like, so their lines
// are bounded; the count of those left out follows within a second or so.
void PlayServer::logConnection(std::string line)
{
    const Clock::time_point now = Clock::now();
    if (logLines_.admit(now))
        log_(line);
}
