// A Velorin window against a play server that misbehaves: it stays
// responsive, keeps its memory bounded and does not crash.
#include "support/Eventually.h"
#include "support/Form1Fixture.h"

#include "ui/net/NetworkPlay.h"
#include "platform/TcpPlaySocket.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace {
long residentKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

class HostileServer : public Form1Test {
protected:
    QProcess server;

    void run(const char* mode)
    {
        server.start(QStringLiteral(HOSTILE_SERVER), {QString::fromLatin1(mode), "9352"});
        ASSERT_TRUE(server.waitForReadyRead(5000));
        start();
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (box) {
                box->setTextValue("127.0.0.1");
                box->accept();
            }
        });
        form->controls().mnufileConnect->trigger();
        ASSERT_EVENTUALLY(form->isConnected(), 5000);
    }

    // Runs the event loop for a while; the longest wait between two ticks of a 10 ms timer.
    qint64 longestStall(int ms)
    {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 worst = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            worst = std::max(worst, clock.elapsed() - last);
            last = clock.elapsed();
        });
        tick.start(10);
        QTest::qWait(ms);
        return worst;
    }

    void TearDown() override
    {
        server.kill();
        server.waitForFinished();
    }
};
}  // namespace

TEST_F(HostileServer, HugeMessages)
{
    const long before = residentKb();
    run("huge");
    EXPECT_LT(longestStall(3000), 1000);
    EXPECT_LE(form->network().chatText().size(), NetworkPlay::maxChatBytes);
    EXPECT_LT(residentKb() - before, 120 * 1024);
}

TEST_F(HostileServer, BinaryJunk)
{
    run("junk");
    EXPECT_LT(longestStall(2000), 1000);
    EXPECT_LE(form->network().chatText().size(), NetworkPlay::maxChatBytes);
}

TEST_F(HostileServer, AFloodOfTenThousandMessagesASecond)
{
    const long before = residentKb();
    run("flood");
    EXPECT_LT(longestStall(3500), 500);
    EXPECT_LE(form->network().chatText().size(), NetworkPlay::maxChatBytes);
    EXPECT_LT(residentKb() - before, 60 * 1024);
    EXPECT_TRUE(form->isConnected());
}

TEST_F(HostileServer, AServerThatNeverReadsEndsTheConnection)
{
    const long before = residentKb();
    run("neverread");
    // Keep sending: everything piles up unread until the connection gives up.
    const std::string line(64 * 1024, '1');
    for (int i = 0; i < 2000 && form->isConnected(); ++i) {
        socket.send(line);
        form->network().sendKeyIndex(i % 41);
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(form->isConnected());
    EXPECT_EQ(form->controls().instru->text(), "Connection failed.");
    EXPECT_LT(residentKb() - before, 60 * 1024);
}
