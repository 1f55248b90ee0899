// The play server's read path: one client writes the input, the server passes
// it on, and both the writer and a second client must get it back unchanged.
#include "FuzzCheck.h"

#include "PlayServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTextStream>

#include <cstdint>
#include <functional>

namespace {
struct Rig {
    QString logText;
    QTextStream log{&logText};
    PlayServer server{log};
    QTcpSocket writer;
    QTcpSocket reader;
};
Rig* rig = nullptr;

void settle(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(5000);
    while (!done()) {
        FUZZ_CHECK(!deadline.hasExpired());
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

void connectClient(QTcpSocket& s)
{
    s.abort();
    s.connectToHost(QHostAddress::LocalHost, rig->server.port());
    settle([&] { return s.state() == QAbstractSocket::ConnectedState; });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    new QCoreApplication(*argc, *argv);
    rig = new Rig;
    FUZZ_CHECK(rig->server.listen(QHostAddress::LocalHost, 0));
    connectClient(rig->writer);
    connectClient(rig->reader);
    settle([] { return rig->server.clientCount() == 2; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray message(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FUZZ_CHECK(rig->server.clientCount() == 2);

    rig->writer.write(message);
    QByteArray echo;
    QByteArray relayed;
    settle([&] {
        echo += rig->writer.readAll();
        relayed += rig->reader.readAll();
        return echo.size() >= message.size() && relayed.size() >= message.size();
    });
    FUZZ_CHECK(echo == message);
    FUZZ_CHECK(relayed == message);
    return 0;
}
