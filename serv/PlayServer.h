#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <vector>

class QTcpSocket;
class QTextStream;

// The play server: passes every message a client sends, unchanged and as one
// write, to every connected client, the sender included. A client that does
// not keep up is dropped once its outgoing data passes a bound, so that it
// never holds the others back.
class PlayServer : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 defaultMaxBuffered = 1 << 20;

    PlayServer(QTextStream& log, qint64 maxBuffered = defaultMaxBuffered, QObject* parent = nullptr);
    ~PlayServer() override;

    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }
    QHostAddress address() const { return server_.serverAddress(); }
    int clientCount() const { return static_cast<int>(clients_.size()); }

private:
    void accept();
    void relay(QTcpSocket* from);
    void send(QTcpSocket* to, const QByteArray& message);
    void drop(QTcpSocket* client, const char* why);
    void forget(QTcpSocket* client);
    void say(const QString& line);

    QTextStream& log_;
    qint64 maxBuffered_;
    QTcpServer server_;
    std::vector<QTcpSocket*> clients_;
};
