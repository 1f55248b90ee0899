#include "PlayServer.h"

#include <QTcpSocket>
#include <QTextStream>

#include <algorithm>

namespace {
QString peer(const QTcpSocket* s)
{
    QHostAddress a = s->peerAddress();
    bool ok = false;
    const QHostAddress v4(a.toIPv4Address(&ok));
    if (ok)
        a = v4;
    return a.toString() + QLatin1Char(':') + QString::number(s->peerPort());
}
}  // namespace

PlayServer::PlayServer(QTextStream& log, qint64 maxBuffered, QObject* parent)
    : QObject(parent), log_(log), maxBuffered_(maxBuffered)
{
    connect(&server_, &QTcpServer::newConnection, this, &PlayServer::accept);
}

bool PlayServer::listen(const QHostAddress& address, quint16 port)
{
    return server_.listen(address, port);
}

void PlayServer::say(const QString& line)
{
    log_ << line << Qt::endl;
}

void PlayServer::accept()
{
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        clients_.push_back(client);
        say(QStringLiteral("connect ") + peer(client));
        connect(client, &QTcpSocket::readyRead, this, [this, client] { relay(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            say(QStringLiteral("disconnect ") + peer(client));
            forget(client);
        });
        connect(client, &QTcpSocket::errorOccurred, this, [this, client](QAbstractSocket::SocketError e) {
            if (e != QAbstractSocket::RemoteHostClosedError)
                drop(client, "connection error");
        });
    }
}

void PlayServer::relay(QTcpSocket* from)
{
    if (std::find(clients_.begin(), clients_.end(), from) == clients_.end())
        return;
    const QByteArray message = from->readAll();
    if (message.isEmpty())
        return;
    // Copy the list: dropping a client changes it.
    const std::vector<QTcpSocket*> targets = clients_;
    for (QTcpSocket* to : targets) {
        if (to->state() != QAbstractSocket::ConnectedState)
            continue;
        to->write(message);
        if (to->bytesToWrite() > maxBuffered_)
            drop(to, "outgoing data over the bound");
        else
            to->flush();
    }
}

void PlayServer::drop(QTcpSocket* client, const char* why)
{
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        return;
    say(QStringLiteral("drop ") + peer(client) + QStringLiteral(" (") + QLatin1String(why) + QLatin1Char(')'));
    forget(client);
    client->abort();
}

void PlayServer::forget(QTcpSocket* client)
{
    const auto it = std::find(clients_.begin(), clients_.end(), client);
    if (it == clients_.end())
        return;
    clients_.erase(it);
    client->disconnect(this);
    client->deleteLater();
}
