#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <utility>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// One request per connection: "open" or "open <file>", a line of UTF-8; the
// answer "ok" tells the later start that the request arrived.
constexpr char verb[] = "open";
constexpr int handOverMs = 5000;
constexpr qsizetype longestRequest = 64 * 1024;

bool addressOf(const QByteArray& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

// An open descriptor, closed when this goes.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Waits until fd is ready for events, or the deadline passes.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, static_cast<int>(deadline.remainingTime()));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}
}  // namespace

struct SingleInstance::Request {
    QSocketNotifier* notifier = nullptr;
    QByteArray received;
};

SingleInstance::SingleInstance(const QString& lockFile, QObject* parent)
    : QObject(parent),
      lock_(lockFile),
      socketPath_((lockFile.chopped(lockFile.endsWith(".lock") ? 5 : 0) + ".socket").toLocal8Bit())
{
    // The lock is held for the program's whole life; never treat it as stale by age.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    while (!requests_.empty())
        drop(requests_.begin()->first);
    if (listening_ >= 0) {
        ::close(listening_);
        ::unlink(socketPath_.constData());
    }
}

bool SingleInstance::acquire()
{
    // A lock left by a crashed instance is recognised and taken over.
    if (!lock_.tryLock(0))
        return false;
    sockaddr_un address{};
    if (!addressOf(socketPath_, address))
        return true;  // a folder too deep for a socket: one instance still, only no hand-over
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        return true;
    // Holding the lock, any socket left there is a dead instance's.
    ::unlink(socketPath_.constData());
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return true;
    // Only this user may hand files over.
    ::chmod(socketPath_.constData(), S_IRUSR | S_IWUSR);
    if (::listen(fd.get(), 16) != 0) {
        ::unlink(socketPath_.constData());
        return true;
    }
    listening_ = fd.release();
    accepting_ = new QSocketNotifier(listening_, QSocketNotifier::Read, this);
    connect(accepting_, &QSocketNotifier::activated, this, &SingleInstance::takeConnections);
    return true;
}

bool SingleInstance::handOver(const QString& file)
{
    const QByteArray request = QByteArray(verb) + (file.isEmpty() ? QByteArray() : " " + file.toUtf8()) + "\n";
    sockaddr_un address{};
    if (!addressOf(socketPath_, address))
        return false;
    const QDeadlineTimer deadline(handOverMs);
    // The running instance may still be starting and not listen yet.
    while (!deadline.hasExpired()) {
        Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (fd.get() < 0)
            return false;
        if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            QThread::msleep(50);
            continue;
        }
        for (qsizetype sent = 0; sent < request.size();) {
            if (!waitFor(fd.get(), POLLOUT, deadline))
                return false;
            const ssize_t n = ::send(fd.get(), request.constData() + sent,
                                     static_cast<std::size_t>(request.size() - sent), MSG_NOSIGNAL);
            if (n < 0 && errno != EINTR && errno != EAGAIN)
                return false;
            sent += n > 0 ? n : 0;
        }
        QByteArray answer;
        while (!answer.contains('\n')) {
            if (!waitFor(fd.get(), POLLIN, deadline))
                return false;
            char buffer[64];
            const ssize_t n = ::recv(fd.get(), buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno != EINTR))
                return false;
            if (n > 0)
                answer.append(buffer, n);
        }
        return answer.left(answer.indexOf('\n')).trimmed() == "ok";
    }
    return false;
}

void SingleInstance::takeConnections()
{
    for (;;) {
        const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        auto request = std::make_unique<Request>();
        request->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(request->notifier, &QSocketNotifier::activated, this, [this, fd] { readRequest(fd); });
        requests_[fd] = std::move(request);
    }
}

void SingleInstance::readRequest(int fd)
{
    Request& request = *requests_.at(fd);
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        drop(fd);  // gone before a whole line
        return;
    }
    request.received.append(buffer, n);
    const qsizetype end = request.received.indexOf('\n');
    if (end < 0) {
        if (request.received.size() > longestRequest)
            drop(fd);
        return;
    }
    const QByteArray line = request.received.left(end);
    const QByteArray head(verb);
    if (line != head && !line.startsWith(head + ' ')) {
        drop(fd);
        return;
    }
    [[maybe_unused]] const ssize_t answered = ::send(fd, "ok\n", 3, MSG_NOSIGNAL);
    drop(fd);
    emit openRequested(line == head ? QString() : QString::fromUtf8(line.mid(head.size() + 1)));
}

void SingleInstance::drop(int fd)
{
    const auto found = requests_.find(fd);
    if (found == requests_.end())
        return;
    // Later: this may run from the notifier's own signal.
    found->second->notifier->setEnabled(false);
    found->second->notifier->deleteLater();
    requests_.erase(found);
    ::close(fd);
}
