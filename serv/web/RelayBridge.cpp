#include "RelayBridge.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {
// Well within what the relay keeps for a client (1 MiB) at any rate a room
// of players sends.
constexpr std::chrono::milliseconds drainEvery{200};

bool wouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}
}  // namespace

RelayBridge::RelayBridge(asio::io_context& io, int fd, int control, Arrival arrived, std::function<void()> closed)
    : stream_(io, fd), control_(control), arrived_(std::move(arrived)), closed_(std::move(closed)), drain_(io)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    if (control_ >= 0)
        ::fcntl(control_, F_SETFD, FD_CLOEXEC);
    tell(false);
    drainLater();
}

RelayBridge::~RelayBridge()
{
    ended_ = true;
    if (control_ >= 0)
        ::close(control_);
}

void RelayBridge::tell(bool listening)
{
    // One byte on an otherwise empty socket: it never blocks.
    if (control_ >= 0)
        [[maybe_unused]] const auto sent = ::send(control_, listening ? "1" : "0", 1, MSG_DONTWAIT | MSG_NOSIGNAL);
}

void RelayBridge::send(std::string_view bytes)
{
    if (ended_)
        return;
    if (unsent_.empty()) {
        const ssize_t n = ::send(stream_.native_handle(), bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && !wouldBlock())
            return end();
        const std::size_t done = n > 0 ? static_cast<std::size_t>(n) : 0;
        if (done == bytes.size())
            return;
        bytes.remove_prefix(done);
    }
    unsent_.append(bytes);
    waitForWrites();
}

void RelayBridge::waitForWrites()
{
    if (writeWaiting_ || ended_)
        return;
    writeWaiting_ = true;
    stream_.async_wait(asio::posix::stream_descriptor::wait_write, [this](beast::error_code error) {
        writeWaiting_ = false;
        if (error || ended_)
            return;
        const ssize_t n = ::send(stream_.native_handle(), unsent_.data(), unsent_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && !wouldBlock())
            return end();
        if (n > 0)
            unsent_.erase(0, static_cast<std::size_t>(n));
        if (unsent_.empty())
            std::string().swap(unsent_);
        else
            waitForWrites();
    });
}

void RelayBridge::setEager(bool eager)
{
    if (ended_ || eager_ == eager)
        return;
    eager_ = eager;
    tell(eager);
    if (eager) {
        drain_.cancel();
        while (readSome()) {
        }
        waitForReads();
    } else {
        drainLater();
    }
}

// A wait left over from eager times fires at most once: the relay sends a
// bridge nothing while it is not listening.
void RelayBridge::waitForReads()
{
    if (readWaiting_ || ended_)
        return;
    readWaiting_ = true;
    stream_.async_wait(asio::posix::stream_descriptor::wait_read, [this](beast::error_code error) {
        readWaiting_ = false;
        if (error || ended_)
            return;
        // A few reads a turn, so that the browsers' sockets get their turns too.
        for (int i = 0; i < 4 && readSome(); ++i) {
        }
        if (eager_)
            waitForReads();
    });
}

void RelayBridge::drainLater()
{
    drain_.expires_after(drainEvery);
    drain_.async_wait([this](beast::error_code error) {
        if (error || ended_ || eager_)
            return;
        while (readSome()) {
        }
        drainLater();
    });
}

bool RelayBridge::readSome()
{
    if (ended_)
        return false;
    static char buffer[64 * 1024];  // one thread, and what is read is handed on at once
    const ssize_t n = ::recv(stream_.native_handle(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
        arrived_(std::string_view(buffer, static_cast<std::size_t>(n)));
        return !ended_;
    }
    if (n == 0 || !wouldBlock())
        end();
    return false;
}

void RelayBridge::end()
{
    if (ended_)
        return;
    ended_ = true;
    drain_.cancel();
    closed_();
}
