#include "platform/TcpPlaySocket.h"

#include <QHostInfo>
#include <QTimer>

TcpPlaySocket::TcpPlaySocket()
{
    QObject::connect(&socket_, &QTcpSocket::connected, &socket_, [this] {
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (onConnected)
            onConnected();
    });
    QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] {
        // What one notification delivers is one message.
        const QByteArray data = socket_.readAll();
        if (!data.isEmpty() && onData)
            onData(data.toStdString());
    });
    QObject::connect(&socket_, &QTcpSocket::errorOccurred, &socket_, [this] { failed(); });
    QObject::connect(&socket_, &QTcpSocket::disconnected, &socket_, [this] { failed(); });
}

void TcpPlaySocket::failed()
{
    if (closing_ || reported_)
        return;
    reported_ = true;
    if (onError)
        onError();
}

int TcpPlaySocket::state() const
{
    switch (socket_.state()) {
    case QAbstractSocket::UnconnectedState: return closed;
    case QAbstractSocket::HostLookupState: return 4;
    case QAbstractSocket::ConnectingState: return 6;
    case QAbstractSocket::ConnectedState: return connected;
    case QAbstractSocket::BoundState: return 1;
    case QAbstractSocket::ListeningState: return 2;
    case QAbstractSocket::ClosingState: return 8;
    }
    return 9;
}

void TcpPlaySocket::connectTo(const std::string& host, int port)
{
    close();
    reported_ = false;
    const QString name = QString::fromStdString(host);
    if (name.trimmed().isEmpty()) {
        // Nothing to look up: fail the way a failed connection does, from the event loop.
        QTimer::singleShot(0, &socket_, [this] { failed(); });
        return;
    }
    socket_.connectToHost(name, static_cast<quint16>(port));
}

void TcpPlaySocket::close()
{
    closing_ = true;
    socket_.abort();
    closing_ = false;
}

void TcpPlaySocket::send(std::string_view bytes)
{
    if (socket_.state() != QAbstractSocket::ConnectedState)
        return;
    // A server that stops reading would make what waits here grow without
    // end: past the bound the connection counts as failed.
    if (socket_.bytesToWrite() > maxPending) {
        failed();
        return;
    }
    socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket_.flush();
}

std::string TcpPlaySocket::localHostName() const
{
    return QHostInfo::localHostName().toStdString();
}
