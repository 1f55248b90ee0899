// The play server as a process, as it runs on an open port: under 500
// clients that come, talk and go at random it keeps running, and its memory
// returns to where it started once they left; and under the limits that a
// careless or hostile client brings about (few descriptors, a flood, a log
// nobody reads) it keeps serving the others.
#include "Fd.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
long residentKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
}  // namespace

TEST(ServSoak, FiveHundredClientsComingAndGoing)
{
    const int seconds = qEnvironmentVariableIsSet("VELORIN_SOAK_SECONDS")
                            ? qEnvironmentVariableIntValue("VELORIN_SOAK_SECONDS")
                            : 30;
    QProcess serv;
    serv.start(QStringLiteral(SERV_PROGRAM), {"--port", "0", "--bind", "127.0.0.1"});
    ASSERT_TRUE(serv.waitForReadyRead(5000));
    const quint16 port = QString::fromUtf8(serv.readLine()).trimmed().section(':', -1).toUShort();
    ASSERT_NE(port, 0);
    QTest::qWait(200);
    const long start = residentKb(serv.processId());

    auto* random = QRandomGenerator::global();
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 500; ++i)
        clients.push_back(std::make_unique<QTcpSocket>());
    long peak = start;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        for (int k = 0; k < 50; ++k) {
            QTcpSocket& c = *clients[random->bounded(500)];
            c.readAll();
            if (c.state() == QAbstractSocket::UnconnectedState) {
                c.connectToHost(QHostAddress::LocalHost, port);
            } else if (c.state() == QAbstractSocket::ConnectedState) {
                const int what = static_cast<int>(random->bounded(10));
                if (what == 0)
                    c.abort();  // gone mid-message, sometimes
                else if (what == 1)
                    c.disconnectFromHost();
                else
                    c.write(what == 2 ? QByteArray(4096, '\xff') : QByteArray::number(random->bounded(41)));
            }
        }
        QTest::qWait(5);
        for (auto& c : clients)
            c->readAll();
        if (clock.elapsed() % 1000 < 10)
            peak = std::max(peak, residentKb(serv.processId()));
    }
    ASSERT_EQ(serv.state(), QProcess::Running);
    for (auto& c : clients)
        c->abort();
    clients.clear();
    QTest::qWait(1500);
    ASSERT_EQ(serv.state(), QProcess::Running);
    const long end = residentKb(serv.processId());
    std::printf("serv resident: %ld kB at start, %ld kB at peak, %ld kB after the clients left\n", start, peak, end);
    EXPECT_LE(end, start + 2048);

    serv.terminate();
    ASSERT_TRUE(serv.waitForFinished(5000));
    EXPECT_EQ(serv.exitCode(), 0);
}

namespace {
using namespace std::chrono_literals;

// A blocking socket connected to serv on loopback, or an invalid one.
int connectTo(quint16 port, int receiveBuffer = 0)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

quint16 localPort(int fd)
{
    sockaddr_in at{};
    socklen_t size = sizeof at;
    getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size);
    return ntohs(at.sin_port);
}

// Starts serv with a first line read: its port, or 0.
quint16 startServ(QProcess& serv, const QStringList& extra = {})
{
    serv.start(QStringLiteral(SERV_PROGRAM), QStringList{"--port", "0", "--bind", "127.0.0.1"} + extra);
    if (!serv.waitForReadyRead(5000))
        return 0;
    const QString first = QString::fromUtf8(serv.readLine()).trimmed();
    return first.contains("listening on 127.0.0.1:") ? first.section(':', -1).toUShort() : 0;
}

// The CPU time a process has used, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().split(')').last().trimmed().split(' ');
    // utime and stime, fields 14 and 15 of the whole line
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Every connection says one byte, then either hears from the relay (it is
// served) or sees the end of its stream (it was turned away). Returns how many
// of each; the rest stayed silent until the deadline.
std::pair<int, int> servedAndTurnedAway(const std::vector<int>& fds)
{
    std::vector<int> open = fds;
    int served = 0, ended = 0;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!open.empty() && std::chrono::steady_clock::now() < deadline) {
        std::vector<pollfd> waits;
        for (int fd : open)
            waits.push_back({fd, POLLIN, 0});
        ::poll(waits.data(), waits.size(), 50);
        open.clear();
        for (const pollfd& w : waits) {
            if (!w.revents) {
                open.push_back(w.fd);
                continue;
            }
            char byte[256];
            const ssize_t got = ::recv(w.fd, byte, sizeof byte, MSG_DONTWAIT);
            if (got > 0)
                ++served;
            else if (got == 0 || errno == ECONNRESET)
                ++ended;
            else
                open.push_back(w.fd);
        }
    }
    return {served, ended};
}
}  // namespace

// With few descriptors (the limit lowered as `ulimit -n 32` does) and more
// callers than fit, each caller over the limit sees the end of its stream at
// once, the server does not spin, and a second crowd fares the same. Both
// ways of running short: the client count (chosen to fit the descriptors)
// and, with a count set above what fits, the descriptors themselves.
TEST(ServOpenPort, TurnsAwayCallersItCannotServeWithEndOfStreamAndStaysIdle)
{
    for (const QStringList& extra : {QStringList{}, QStringList{"--max-clients", "1000"}}) {
        SCOPED_TRACE(extra.join(' ').toStdString());
        QProcess serv;
        serv.setChildProcessModifier([] {
            const rlimit few{32, 32};
            setrlimit(RLIMIT_NOFILE, &few);
        });
        const quint16 port = startServ(serv, extra);
        ASSERT_NE(port, 0);
        for (int crowd = 0; crowd < 2; ++crowd) {
            std::vector<int> fds;
            for (int i = 0; i < 40; ++i) {
                const int fd = connectTo(port);
                ASSERT_GE(fd, 0);
                ASSERT_EQ(::send(fd, "p", 1, MSG_NOSIGNAL), 1);
                fds.push_back(fd);
            }
            const auto [served, ended] = servedAndTurnedAway(fds);
            EXPECT_EQ(served + ended, 40) << "silent: " << 40 - served - ended;
            EXPECT_GT(ended, 0);
            if (crowd == 0) {
                EXPECT_GT(served, 0);
                // Idle with a full house: far from a core, which a loop
                // that keeps failing to accept would take.
                const double before = cpuSeconds(serv.processId());
                QTest::qWait(1000);
                EXPECT_LT(cpuSeconds(serv.processId()) - before, 0.5);
            }
            for (int fd : fds)
                ::close(fd);
        }
        ASSERT_EQ(serv.state(), QProcess::Running);
        serv.terminate();
        ASSERT_TRUE(serv.waitForFinished(5000));
        EXPECT_EQ(serv.exitCode(), 0);
    }
}

// One client sends 8.5 MB as fast as it can and reads its own echo; three
// others read 200 KB a second each. The flooder is held back, and the
// readers, who did nothing wrong, stay.
TEST(ServOpenPort, AFlooderIsHeldBackAndTheReadersStay)
{
    QProcess serv;
    const quint16 port = startServ(serv);
    ASSERT_NE(port, 0);
    std::vector<int> readers;
    for (int i = 0; i < 3; ++i) {
        readers.push_back(connectTo(port, 64 * 1024));
        ASSERT_GE(readers.back(), 0);
    }
    const int flooder = connectTo(port);
    ASSERT_GE(flooder, 0);
    // Everyone is in once a first word reaches every reader.
    ASSERT_EQ(::send(flooder, "0", 1, MSG_NOSIGNAL), 1);
    ASSERT_EQ(servedAndTurnedAway(readers), std::make_pair(3, 0));

    constexpr std::size_t flood = 8500 * 1000;
    const std::string piece(64 * 1024, 'f');
    std::size_t sent = 0, echoed = 0;
    std::vector<std::size_t> taken(readers.size(), 0);
    std::vector<bool> left(readers.size(), false);
    std::vector<char> scratch(256 * 1024);
    const auto start = std::chrono::steady_clock::now();
    for (auto now = start; now - start < 3s; now = std::chrono::steady_clock::now()) {
        while (sent < flood) {
            const ssize_t n = ::send(flooder, piece.data(), std::min(piece.size(), flood - sent),
                                     MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
        }
        for (ssize_t n; (n = ::recv(flooder, scratch.data(), scratch.size(), MSG_DONTWAIT)) > 0;)
            echoed += static_cast<std::size_t>(n);
        const double seconds = std::chrono::duration<double>(now - start).count();
        for (std::size_t r = 0; r < readers.size(); ++r) {
            const std::size_t due = static_cast<std::size_t>(seconds * 200000) - std::min(taken[r], static_cast<std::size_t>(seconds * 200000));
            if (left[r] || due == 0)
                continue;
            const ssize_t n = ::recv(readers[r], scratch.data(), std::min(due, scratch.size()), MSG_DONTWAIT);
            if (n > 0)
                taken[r] += static_cast<std::size_t>(n);
            else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                left[r] = true;
        }
        std::this_thread::sleep_for(10ms);
    }
    for (std::size_t r = 0; r < readers.size(); ++r)
        EXPECT_FALSE(left[r]) << "reader " << r << " was dropped";
    // Held back: far from all of it went round.
    EXPECT_LT(echoed, flood / 4) << "sent " << sent;
    ASSERT_EQ(serv.state(), QProcess::Running);
    serv.terminate();
    ASSERT_TRUE(serv.waitForFinished(5000));
    const QString log = QString::fromUtf8(serv.readAllStandardOutput());
    for (int fd : readers) {
        EXPECT_FALSE(log.contains(QStringLiteral("drop 127.0.0.1:%1 ").arg(localPort(fd)))) << log.toStdString();
        ::close(fd);
    }
    ::close(flooder);
}

// A peer that ends nothing with CR LF (as the old clients send) strikes a
// bare "9" again and again while a Velorin window plays "7 <n>" lines, one of
// them written in two pieces, and a third peer cuts what it hears at CR LF as
// Velorin does. However the relay packs the two senders' bytes, no line of
// one carries the other's.
TEST(ServOpenPort, NoSendersBytesAreJoinedToAnothers)
{
    QProcess serv;
    const quint16 port = startServ(serv);
    ASSERT_NE(port, 0);
    const int bare = connectTo(port), window = connectTo(port), reader = connectTo(port);
    ASSERT_GE(bare, 0);
    ASSERT_GE(window, 0);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(::send(window, "0\r\n", 3, MSG_NOSIGNAL), 3);
    ASSERT_EQ(servedAndTurnedAway({reader}), std::make_pair(1, 0));

    constexpr int notes = 100;
    for (int n = 1; n <= notes; ++n) {
        ASSERT_EQ(::send(bare, "9", 1, MSG_NOSIGNAL), 1);
        const std::string line = "7 " + std::to_string(n) + "\r\n";
        if (n == notes / 2) {  // the rest of a line comes a moment later
            ASSERT_EQ(::send(window, line.data(), 3, MSG_NOSIGNAL), 3);
            std::this_thread::sleep_for(1ms);
            ASSERT_EQ(::send(bare, "9", 1, MSG_NOSIGNAL), 1);
            ASSERT_EQ(::send(window, line.data() + 3, line.size() - 3, MSG_NOSIGNAL),
                      static_cast<ssize_t>(line.size() - 3));
        } else {
            ASSERT_EQ(::send(window, line.data(), line.size(), MSG_NOSIGNAL), static_cast<ssize_t>(line.size()));
        }
        std::this_thread::sleep_for(2ms);
    }
    std::string heard;
    const std::string last = "7 " + std::to_string(notes) + "\r\n";
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    char scratch[4096];
    while (heard.find(last) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd wait{reader, POLLIN, 0};
        if (::poll(&wait, 1, 100) == 1) {
            const ssize_t n = ::recv(reader, scratch, sizeof scratch, 0);
            if (n <= 0)
                break;
            heard.append(scratch, static_cast<std::size_t>(n));
        }
    }
    int windowLines = 0;
    for (std::size_t at = 0, end; (end = heard.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string message = heard.substr(at, end - at);
        const bool nines = !message.empty() && message.find_first_not_of('9') == std::string::npos;
        const bool note = message.rfind("7 ", 0) == 0 && message.find_first_not_of("0123456789", 2) == std::string::npos;
        EXPECT_TRUE(nines || note || message == "0") << "joined: \"" << message << '"';
        windowLines += note;
    }
    EXPECT_GE(windowLines, notes);  // the line in two pieces may arrive as two
    for (int fd : {bare, window, reader})
        ::close(fd);
    serv.terminate();
    ASSERT_TRUE(serv.waitForFinished(5000));
}

// The log goes to a pipe that nobody reads (as a terminal stopped with
// Ctrl+S, or a pager that went away). Clients coming and going fill it; the
// relay goes on, and SIGTERM still ends serv at once.
TEST(ServOpenPort, ALogNobodyReadsStopsNeitherTheRelayNorTheEnd)
{
    int log[2];
    ASSERT_EQ(::pipe2(log, O_CLOEXEC), 0);
    fcntl(log[0], F_SETPIPE_SZ, 4096);  // the smallest pipe fills soonest
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, log[1], STDOUT_FILENO);
    char* const args[] = {const_cast<char*>(SERV_PROGRAM), const_cast<char*>("--port"), const_cast<char*>("0"),
                          const_cast<char*>("--bind"), const_cast<char*>("127.0.0.1"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, SERV_PROGRAM, &actions, nullptr, args, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ASSERT_GT(pid, 0);  // every signal below goes to this child only
    ::close(log[1]);
    const Fd logEnd(log[0]);
    auto ended = [&pid](std::chrono::milliseconds within) {
        const auto deadline = std::chrono::steady_clock::now() + within;
        do {
            if (::waitpid(pid, nullptr, WNOHANG) == pid)
                return true;
            std::this_thread::sleep_for(10ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    };
    auto cleanUp = qScopeGuard([&] {
        if (!ended(0ms)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    });

    // The first line, and then nobody reads.
    std::string first;
    pollfd wait{logEnd.get(), POLLIN, 0};
    while (first.find('\n') == std::string::npos && ::poll(&wait, 1, 5000) == 1) {
        char c;
        if (::read(logEnd.get(), &c, 1) != 1)
            break;
        first += c;
    }
    const auto colon = first.rfind(':');
    ASSERT_NE(colon, std::string::npos) << first;
    const auto port = static_cast<quint16>(std::stoi(first.substr(colon + 1)));

    int waiting = 0;
    const auto start = std::chrono::steady_clock::now();
    while (waiting < 4096 - 128 && std::chrono::steady_clock::now() - start < 5s) {
        for (int i = 0; i < 50; ++i) {
            const int fd = connectTo(port);
            ASSERT_GE(fd, 0);
            ::close(fd);
        }
        std::this_thread::sleep_for(20ms);
        ioctl(logEnd.get(), FIONREAD, &waiting);
    }
    ASSERT_GE(waiting, 4096 - 128) << "the log never filled";

    const int a = connectTo(port), b = connectTo(port);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_EQ(::send(a, "hi", 2, MSG_NOSIGNAL), 2);
    EXPECT_EQ(servedAndTurnedAway({a, b}), std::make_pair(2, 0));
    ::close(a);
    ::close(b);

    ::kill(pid, SIGTERM);
    // Far more than serv needs; a serv stuck in its log never ends at all.
    EXPECT_TRUE(ended(3000ms));
}
