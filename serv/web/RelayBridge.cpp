#include "RelayBridge.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {
// Well within what the relay keeps for a client (1 MiB) at any rate a room
// of players sends.
constexpr int drainMs = 200;
}  // namespace

RelayBridge::RelayBridge(int fd, int control, Arrival arrived, std::function<void()> closed, QObject* parent)
    : QObject(parent), fd_(fd), control_(control), arrived_(std::move(arrived)), closed_(std::move(closed)),
      reads_(fd, QSocketNotifier::Read), writes_(fd, QSocketNotifier::Write)
{
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
    writes_.setEnabled(false);
    reads_.setEnabled(false);
    drain_.setInterval(drainMs);
    connect(&drain_, &QTimer::timeout, this, [this] {
        while (readSome()) {
        }
    });
    drain_.start();
    if (control_ >= 0)
        ::fcntl(control_, F_SETFD, FD_CLOEXEC);
    tell(false);
    connect(&reads_, &QSocketNotifier::activated, this, &RelayBridge::readable);
    connect(&writes_, &QSocketNotifier::activated, this, &RelayBridge::writable);
}

RelayBridge::~RelayBridge()
{
    reads_.setEnabled(false);
    writes_.setEnabled(false);
    ::close(fd_);
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
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return end();
        const std::size_t done = n > 0 ? static_cast<std::size_t>(n) : 0;
        if (done == bytes.size())
            return;
        bytes.remove_prefix(done);
    }
    unsent_.append(bytes);
    writes_.setEnabled(true);
}

void RelayBridge::writable()
{
    const ssize_t n = ::send(fd_, unsent_.data(), unsent_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        return end();
    if (n > 0)
        unsent_.erase(0, static_cast<std::size_t>(n));
    if (unsent_.empty()) {
        writes_.setEnabled(false);
        std::string().swap(unsent_);
    }
}

void RelayBridge::setEager(bool eager)
{
    if (ended_ || reads_.isEnabled() == eager)
        return;
    if (eager) {
        tell(true);
        drain_.stop();
        while (readSome()) {
        }
        reads_.setEnabled(!ended_);
    } else {
        tell(false);
        reads_.setEnabled(false);
        drain_.start();
    }
}

void RelayBridge::readable()
{
    // A few reads a turn, so that the browsers' sockets get their turns too.
    for (int i = 0; i < 4 && readSome(); ++i) {
    }
}

bool RelayBridge::readSome()
{
    if (ended_)
        return false;
    char buffer[64 * 1024];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
        arrived_(std::string_view(buffer, static_cast<std::size_t>(n)));
        return true;
    }
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        end();
    return false;
}

void RelayBridge::end()
{
    if (ended_)
        return;
    ended_ = true;
    reads_.setEnabled(false);
    writes_.setEnabled(false);
    drain_.stop();
    closed_();
}
