// The play server with real clients on loopback; the server runs its loop
// on a thread of its own, as it runs alone in serv.
#include "support/Eventually.h"
#include "PlayServer.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <signal.h>

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

// What a client sent, without the CR LF the relay ends each arrival with.
QByteArray withoutLineEnds(QByteArray bytes)
{
    bytes.removeIf([](char c) { return c == '\r' || c == '\n'; });
    return bytes;
}

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

// Unchanged, and ended with CR LF: these clients end none themselves.
TEST_F(Relay, EveryMessageReachesEveryClientOnceAndUnchanged)
{
    auto a = client();
    auto b = client();
    auto c = client();
    waitForClients(3);
    a->write("12");
    a->flush();
    for (auto* s : {a.get(), b.get(), c.get()})
        EXPECT_EQ(readUntil(*s, 4), "12\r\n");
    const QByteArray chat = ":bob: h\xc3\xa9llo \x00\x01\xff";
    b->write(chat);
    b->flush();
    for (auto* s : {a.get(), b.get(), c.get()})
        EXPECT_EQ(readUntil(*s, chat.size() + 2), chat + "\r\n");
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
        got += withoutLineEnds(reader->readAll()).size();
        sender->readAll();
    }
    EXPECT_EQ(server->clientCount(), 2);
    EXPECT_TRUE(logged("drop 127.0.0.1:"));
    while (got < sent && t.elapsed() < 30000) {
        QTest::qWait(1);
        got += withoutLineEnds(reader->readAll()).size();
        sender->readAll();
    }
    EXPECT_EQ(got, sent);
    sender->write("5");
    sender->flush();
    EXPECT_EQ(readUntil(*reader, 3), "5\r\n");
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
    EXPECT_TRUE(readUntil(*a, 4).endsWith("33\r\n"));
    EXPECT_TRUE(logged("disconnect 127.0.0.1:"));
}

// Many senders at once, their writes cut at random places, and one reader
// that lags behind by more than the system buffers for it (a few MB), so
// that the server queues the rest and keeps adding to it. Every client still gets each
// sender's bytes complete and in order, whatever the server joins. Each sender
// writes in an alphabet of its own, so that any interleaving can be taken
// apart again (the CR LF the relay ends each arrival with aside).
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
            got[i] += withoutLineEnds(clients[i]->readAll());
        // Nothing until half is written, then a trickle while the server
        // still holds the rest and more comes in, then all.
        if (allWritten)
            lagging->setReadBufferSize(0);
        if (writtenAll > total / 2)
            got[senders] += withoutLineEnds(lagging->readAll());
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
    // A client's message comes back to it ended with CR LF.
    const auto echoes = [port](const QByteArray& message) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        if (!s.waitForConnected(3000))
            return QByteArray("(no connection)");
        s.write(message);
        return s.waitForReadyRead(3000) ? s.readAll() : QByteArray("(nothing)");
    };
    EXPECT_EQ(echoes("7"), "7\r\n");
    // A hang-up of the terminal (or of ssh) leaves it serving, as does a
    // stray SIGUSR1.
    for (int s : {SIGHUP, SIGUSR1}) {
        ASSERT_EQ(serv.state(), QProcess::Running);
        ASSERT_GT(serv.processId(), 0);
        ::kill(static_cast<pid_t>(serv.processId()), s);
        QTest::qWait(200);
        ASSERT_EQ(serv.state(), QProcess::Running) << strsignal(s);
    }
    EXPECT_EQ(echoes("8\r\n"), "8\r\n");
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
