// The play server with real clients on loopback; the server runs its loop
// on a thread of its own, as it runs alone in serv.
#include "support/Eventually.h"
#include "Fd.h"
#include "PlayServer.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QRegularExpression>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

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
class Relay : public testing::Test {
protected:
    std::unique_ptr<PlayServer> server;
    std::thread loop;

    void SetUp() override { start(PlayServer::defaultMaxBuffered); }
    // These tests send far faster than a player: no bound on the send rate.
    void start(std::size_t maxBuffered)
    {
        PlayServer::Limits limits;
        limits.maxBuffered = maxBuffered;
        limits.maxQueued = std::max(limits.maxQueued, 4 * maxBuffered);
        limits.sendRate = 0;
        server = std::make_unique<PlayServer>(
            [this](std::string_view line) {
                const std::lock_guard<std::mutex> hold(logLock_);
                log_.append(line).append("\n");
            },
            limits);
        ASSERT_TRUE(server->listen("127.0.0.1", 0)) << server->errorString();
        loop = std::thread([this] { server->run(); });
    }
    void TearDown() override { stopServer(); }
    void stopServer()
    {
        if (loop.joinable()) {
            server->stop();
            loop.join();
        }
        server.reset();
    }
    std::string logText()
    {
        const std::lock_guard<std::mutex> hold(logLock_);
        return log_;
    }
    bool logged(const char* text) { return logText().find(text) != std::string::npos; }
    std::unique_ptr<QTcpSocket> client()
    {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, server->port());
        EXPECT_TRUE(s->waitForConnected(3000));
        return s;
    }
    void waitForClients(int n) { ASSERT_EVENTUALLY_EQ(server->clientCount(), n, 3000); }

private:
    std::mutex logLock_;
    std::string log_;
};

QByteArray readUntil(QTcpSocket& s, qsizetype size)
{
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.size() < size && t.elapsed() < 5000) {
        QTest::qWait(1);
        got += s.readAll();
    }
    return got;
}
}  // namespace

TEST_F(Relay, EveryMessageReachesEveryClientOnceAndUnchanged)
{
    auto a = client();
    auto b = client();
    auto c = client();
    waitForClients(3);
    a->write("12");
    a->flush();
    for (auto* s : {a.get(), b.get(), c.get()})
        EXPECT_EQ(readUntil(*s, 2), "12");
    const QByteArray chat = ":bob: h\xc3\xa9llo \x00\x01\xff";
    b->write(chat);
    b->flush();
    for (auto* s : {a.get(), b.get(), c.get()})
        EXPECT_EQ(readUntil(*s, chat.size()), chat);
    QTest::qWait(50);
    for (auto* s : {a.get(), b.get(), c.get()})
        EXPECT_TRUE(s->readAll().isEmpty());
    EXPECT_TRUE(logged("connect 127.0.0.1:"));
}

TEST_F(Relay, AClientThatStopsReadingIsDroppedAndTheOthersGoOn)
{
    auto sender = client();
    auto reader = client();
    auto stuck = std::make_unique<QTcpSocket>();
    stuck->setReadBufferSize(1);  // stops taking data from the system almost at once
    stuck->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    stuck->connectToHost(QHostAddress::LocalHost, server->port());
    ASSERT_TRUE(stuck->waitForConnected(3000));
    waitForClients(3);

    const QByteArray chunk(64 * 1024, 'k');
    qint64 sent = 0;
    qint64 got = 0;
    QElapsedTimer t;
    t.start();
    while (server->clientCount() == 3 && t.elapsed() < 20000) {
        sender->write(chunk);
        sender->flush();
        sent += chunk.size();
        QTest::qWait(1);
        got += reader->readAll().size();
        sender->readAll();
    }
    EXPECT_EQ(server->clientCount(), 2);
    EXPECT_TRUE(logged("drop 127.0.0.1:"));
    while (got < sent && t.elapsed() < 30000) {
        QTest::qWait(1);
        got += reader->readAll().size();
        sender->readAll();
    }
    EXPECT_EQ(got, sent);
    sender->write("5");
    sender->flush();
    EXPECT_EQ(readUntil(*reader, 1), "5");
}

TEST_F(Relay, JunkAndClientsVanishingMidMessageDoNotStopIt)
{
    auto a = client();
    {
        auto gone = client();
        waitForClients(2);
        gone->write(QByteArray(100000, '\xfe'));
        gone->flush();
        gone->abort();
    }
    waitForClients(1);
    readUntil(*a, 100000);
    a->readAll();
    auto b = client();
    waitForClients(2);
    b->write("33");
    b->flush();
    EXPECT_EQ(readUntil(*a, 2), "33");
    EXPECT_TRUE(logged("disconnect 127.0.0.1:"));
}

// Many senders at once, their writes cut at random places, and one reader
// that lags behind by more than the system buffers for it (a few MB), so
// that the server queues the rest and keeps adding to it. Every client still gets each
// sender's bytes complete and in order, whatever the server joins. Each sender
// writes in an alphabet of its own, so that any interleaving can be taken
// apart again.
TEST_F(Relay, EachSendersBytesArriveWholeAndInOrderAtEveryClient)
{
    stopServer();
    start(64 << 20);  // room for the reader that waits
    constexpr int senders = 8;
    constexpr int lines = 200000;  // about 1.4 MB from each
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < senders; ++i)
        clients.push_back(client());
    auto lagging = std::make_unique<QTcpSocket>();
    lagging->setReadBufferSize(4096);
    lagging->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    lagging->connectToHost(QHostAddress::LocalHost, server->port());
    ASSERT_TRUE(lagging->waitForConnected(3000));
    waitForClients(senders + 1);

    constexpr char alphabetSize = 11;  // ten digits and a separator
    auto senderOf = [](char c) { return (c - '!') / alphabetSize; };
    std::vector<QByteArray> outgoing(senders);
    for (int i = 0; i < senders; ++i) {
        const char first = static_cast<char>('!' + i * alphabetSize);
        for (int n = 0; n < lines; ++n) {
            for (const char digit : QByteArray::number(n))
                outgoing[i] += static_cast<char>(first + (digit - '0'));
            outgoing[i] += static_cast<char>(first + 10);
        }
    }
    qsizetype total = 0;
    for (const QByteArray& o : outgoing)
        total += o.size();
    std::vector<qsizetype> written(senders, 0);
    std::vector<QByteArray> got(senders + 1);
    auto* random = QRandomGenerator::global();
    auto everyoneHasAll = [&] {
        for (const QByteArray& g : got)
            if (g.size() < total)
                return false;
        return true;
    };
    QElapsedTimer t;
    t.start();
    qsizetype writtenAll = 0;
    while (!everyoneHasAll() && t.elapsed() < 30000) {
        bool allWritten = true;
        for (int i = 0; i < senders; ++i) {
            const qsizetype piece = std::min<qsizetype>(1 + random->bounded(8192), outgoing[i].size() - written[i]);
            if (piece > 0) {
                clients[i]->write(outgoing[i].mid(written[i], piece));
                clients[i]->flush();
                written[i] += piece;
                writtenAll += piece;
                allWritten = false;
            }
        }
        QTest::qWait(1);
        for (int i = 0; i < senders; ++i)
            got[i] += clients[i]->readAll();
        // Nothing until half is written, then a trickle while the server
        // still holds the rest and more comes in, then all.
        if (allWritten)
            lagging->setReadBufferSize(0);
        if (writtenAll > total / 2)
            got[senders] += lagging->readAll();
    }
    EXPECT_EQ(server->clientCount(), senders + 1);
    for (const QByteArray& g : got) {
        ASSERT_EQ(g.size(), total);
        std::vector<QByteArray> bySender(senders);
        for (const char c : g)
            bySender[static_cast<std::size_t>(senderOf(c))] += c;
        for (int i = 0; i < senders; ++i)
            EXPECT_TRUE(bySender[i] == outgoing[i]) << "sender " << i;
    }
}

TEST_F(Relay, GoingAwayWithClientsConnectedClosesThemAndNothingElse)
{
    auto a = client();
    auto b = client();
    waitForClients(2);
    const std::string before = logText();
    stopServer();
    // The clients are closed by the server going, not logged as leaving.
    EXPECT_EQ(logText(), before);
    ASSERT_EVENTUALLY_EQ(a->state(), QAbstractSocket::UnconnectedState, 3000);
    ASSERT_EVENTUALLY_EQ(b->state(), QAbstractSocket::UnconnectedState, 3000);
}

TEST(ServProgram, ListensLogsAndEndsCleanlyOnTerm)
{
    QProcess serv;
    serv.start(QStringLiteral(SERV_PROGRAM), {"--port", "0", "--bind", "127.0.0.1"});
    ASSERT_TRUE(serv.waitForReadyRead(5000));
    const QString first = QString::fromUtf8(serv.readLine()).trimmed();
    // The time first, then the line.
    ASSERT_TRUE(first.contains(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z listening on 127.0.0.1:\\d+$")))
        << first.toStdString();
    const quint16 port = first.section(':', -1).toUShort();
    {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        ASSERT_TRUE(s.waitForConnected(3000));
        s.write("7");
        ASSERT_TRUE(s.waitForReadyRead(3000));
        EXPECT_EQ(s.readAll(), "7");
    }
    QTest::qWait(200);
    serv.terminate();
    ASSERT_TRUE(serv.waitForFinished(5000));
    EXPECT_EQ(serv.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(serv.exitCode(), 0);
    const QString out = QString::fromUtf8(serv.readAllStandardOutput());
    EXPECT_TRUE(out.contains("connect 127.0.0.1:")) << out.toStdString();
    EXPECT_TRUE(out.contains("disconnect 127.0.0.1:")) << out.toStdString();

    // Ctrl+C ends it as cleanly.
    QProcess interrupted;
    interrupted.start(QStringLiteral(SERV_PROGRAM), {"--port", "0", "--bind", "127.0.0.1"});
    ASSERT_TRUE(interrupted.waitForReadyRead(5000));
    const qint64 pid = interrupted.processId();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(interrupted.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(pid), SIGINT);
    ASSERT_TRUE(interrupted.waitForFinished(5000));
    EXPECT_EQ(interrupted.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(interrupted.exitCode(), 0);
    EXPECT_TRUE(interrupted.readAllStandardOutput().contains("stopping"));

    QProcess help;
    help.start(QStringLiteral(SERV_PROGRAM), {"--help"});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--port"));

    // Every usage error exits 2.
    for (const QStringList& args : {QStringList{"--port", "99999"}, QStringList{"--port"}, QStringList{"--bogus"},
                                    QStringList{"--bind", "nowhere"}, QStringList{"--max-clients", "0"}}) {
        QProcess bad;
        bad.start(QStringLiteral(SERV_PROGRAM), args);
        ASSERT_TRUE(bad.waitForFinished(5000));
        EXPECT_EQ(bad.exitCode(), 2) << args.join(' ').toStdString();
    }

    // IPv6 addresses are shown in brackets, so that the port stands apart.
    QProcess v6;
    v6.start(QStringLiteral(SERV_PROGRAM), {"--port", "0", "--bind", "::1"});
    if (v6.waitForReadyRead(5000)) {  // no IPv6 loopback here otherwise
        const QString line = QString::fromUtf8(v6.readLine()).trimmed();
        ASSERT_TRUE(line.contains(" listening on [::1]:")) << line.toStdString();
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHostIPv6, line.section(':', -1).toUShort());
        ASSERT_TRUE(s.waitForConnected(3000));
        ASSERT_TRUE(v6.waitForReadyRead(5000));
        const QString connected = QString::fromUtf8(v6.readLine());
        EXPECT_TRUE(connected.contains(" connect [::1]:")) << connected.toStdString();
        v6.terminate();
        EXPECT_TRUE(v6.waitForFinished(5000));
    }
}

// serv run as an operator runs it on an open port, under the limits that a
// careless or hostile client brings about.
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
TEST(ServProgram, TurnsAwayCallersItCannotServeWithEndOfStreamAndStaysIdle)
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
TEST(ServProgram, AFlooderIsHeldBackAndTheReadersStay)
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

// The log goes to a pipe that nobody reads (as a terminal stopped with
// Ctrl+S, or a pager that went away). Clients coming and going fill it; the
// relay goes on, and SIGTERM still ends serv at once.
TEST(ServProgram, ALogNobodyReadsStopsNeitherTheRelayNorTheEnd)
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
