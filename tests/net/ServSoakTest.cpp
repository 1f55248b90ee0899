// The play server under 500 clients that come, talk and go at random: it
// keeps running, and its memory returns to where it started once they left.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

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
