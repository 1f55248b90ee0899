// The play server with real clients on loopback.
#include "support/Eventually.h"
#include "PlayServer.h"

#include <QProcess>
#include <QTcpSocket>
#include <QTest>
#include <QTextStream>

#include <gtest/gtest.h>

#include <memory>

namespace {
class Relay : public testing::Test {
protected:
    QString logText;
    QTextStream log{&logText};
    std::unique_ptr<PlayServer> server;

    void SetUp() override
    {
        server = std::make_unique<PlayServer>(log);
        ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0));
    }
    std::unique_ptr<QTcpSocket> client()
    {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, server->port());
        EXPECT_TRUE(s->waitForConnected(3000));
        return s;
    }
    void waitForClients(int n) { ASSERT_EVENTUALLY_EQ(server->clientCount(), n, 3000); }
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
    EXPECT_TRUE(logText.contains("connect 127.0.0.1:"));
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
    EXPECT_TRUE(logText.contains("drop 127.0.0.1:"));
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
    EXPECT_TRUE(logText.contains("disconnect 127.0.0.1:"));
}

TEST_F(Relay, GoingAwayWithClientsConnectedClosesThemAndNothingElse)
{
    auto a = client();
    auto b = client();
    waitForClients(2);
    const QString before = logText;
    server.reset();
    // The sockets closing as the server goes do not call back into it.
    EXPECT_EQ(logText.toStdString(), before.toStdString());
    ASSERT_EVENTUALLY_EQ(a->state(), QAbstractSocket::UnconnectedState, 3000);
    ASSERT_EVENTUALLY_EQ(b->state(), QAbstractSocket::UnconnectedState, 3000);
}

TEST(ServProgram, ListensLogsAndEndsCleanlyOnTerm)
{
    QProcess serv;
    serv.start(QStringLiteral(SERV_PROGRAM), {"--port", "0", "--bind", "127.0.0.1"});
    ASSERT_TRUE(serv.waitForReadyRead(5000));
    const QString first = QString::fromUtf8(serv.readLine()).trimmed();
    ASSERT_TRUE(first.startsWith("listening on 127.0.0.1:")) << first.toStdString();
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

    QProcess help;
    help.start(QStringLiteral(SERV_PROGRAM), {"--help"});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--port"));

    QProcess bad;
    bad.start(QStringLiteral(SERV_PROGRAM), {"--port", "99999"});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_NE(bad.exitCode(), 0);
}
