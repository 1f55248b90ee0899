#include "PlayServer.h"

#include <QTcpSocket>
#include <QTextStream>

#include <algorithm>

#include <cerrno>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/socket.h>

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

PlayServer::~PlayServer()
{
    // The sockets still open belong to server_ and close as it goes, after
    // clients_ is gone: their last signals must not reach this server any more.
    for (QTcpSocket* client : clients_) {
        client->disconnect(this);
        client->abort();
    }
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
        if (to->state() == QAbstractSocket::ConnectedState)
            send(to, message);
    }
}

void PlayServer::send(QTcpSocket* to, const QByteArray& message)
{
    qsizetype done = 0;
    // While nothing waits in the socket's own buffer, hand the message to the
    // system at once: one system call, no copy, no later wake-up.
    if (to->bytesToWrite() == 0) {
        const ssize_t n = ::send(static_cast<int>(to->socketDescriptor()), message.constData(),
                                 static_cast<size_t>(message.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0)
            done = n;
        else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return drop(to, "connection error");
    }
    if (done == message.size())
        return;
    // The rest waits in the socket's buffer, which Qt empties as the client reads.
    to->write(message.constData() + done, message.size() - done);
    if (to->bytesToWrite() > maxBuffered_)
        drop(to, "outgoing data over the bound");
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
#if defined(__GLIBC__)
    // With everyone gone, hand the memory of their buffers back to the system.
    if (clients_.empty())
        QMetaObject::invokeMethod(this, [] { malloc_trim(0); }, Qt::QueuedConnection);
#endif
}
