#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

namespace {
// One request per connection: "open" or "open <file>", a line of UTF-8; the
// answer "ok" tells the later start that the request arrived.
constexpr char verb[] = "open";
constexpr int handOverMs = 5000;
constexpr qint64 longestRequest = 64 * 1024;
}  // namespace

SingleInstance::SingleInstance(const QString& lockFile, QObject* parent)
    : QObject(parent), lock_(lockFile), socketName_(lockFile.chopped(lockFile.endsWith(".lock") ? 5 : 0) + ".socket")
{
    // The lock is held for the program's whole life; never treat it as stale by age.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::takeConnection);
}

bool SingleInstance::acquire()
{
    // A lock left by a crashed instance is recognised and taken over.
    if (!lock_.tryLock(0))
        return false;
    // Holding the lock, any socket left there is a dead instance's.
    QLocalServer::removeServer(socketName_);
    server_.listen(socketName_);
    return true;
}

bool SingleInstance::handOver(const QString& file)
{
    const QByteArray request =
        QByteArray(verb) + (file.isEmpty() ? QByteArray() : " " + file.toUtf8()) + "\n";
    const QDeadlineTimer deadline(handOverMs);
    // The running instance may still be starting and not listen yet.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketName_);
        if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            QThread::msleep(50);
            continue;
        }
        socket.write(request);
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
        while (!socket.canReadLine() && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        }
        return socket.readLine().trimmed() == "ok";
    }
    return false;
}

void SingleInstance::takeConnection()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > longestRequest)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine().chopped(1);
            const QByteArray head(verb);
            if (line != head && !line.startsWith(head + ' ')) {
                socket->abort();
                return;
            }
            socket->write("ok\n");
            socket->flush();
            socket->disconnectFromServer();
            emit openRequested(line == head ? QString() : QString::fromUtf8(line.mid(head.size() + 1)));
        });
    }
}
