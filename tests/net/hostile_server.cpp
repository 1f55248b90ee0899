// A play server that misbehaves, for testing what a Velorin window survives:
//   hostile_server MODE PORT
// huge: two 10 MB messages; junk: 4 MB of random bytes; flood: 10,000
// messages a second for 3 seconds; neverread: never reads what it is sent.
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QByteArray mode = argv[1];
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, static_cast<quint16>(QByteArray(argv[2]).toUShort())))
        return 1;
    std::printf("listening\n");
    std::fflush(stdout);
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = server.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::disconnected, &app, &QCoreApplication::quit);
        if (mode == "neverread") {
            s->setReadBufferSize(1);
            return;
        }
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
        if (mode == "huge") {
            s->write(QByteArray(10 << 20, '7'));
            s->write(":" + QByteArray(10 << 20, 'x'));
        } else if (mode == "junk") {
            QByteArray junk(4 << 20, 0);
            for (char& c : junk)
                c = static_cast<char>(QRandomGenerator::global()->generate() & 0xFF);
            s->write(junk);
        } else if (mode == "flood") {
            auto* tick = new QTimer(s);
            auto* sent = new int(0);
            QObject::connect(tick, &QTimer::timeout, s, [s, tick, sent] {
                // 100 messages every 10 ms.
                for (int i = 0; i < 100; ++i, ++*sent)
                    s->write(*sent % 2 ? QByteArray("12") : QByteArray(":bob: flood ") + QByteArray::number(*sent));
                s->flush();
                if (*sent >= 30000)
                    tick->stop();
            });
            tick->start(10);
        }
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return app.exec();
}
