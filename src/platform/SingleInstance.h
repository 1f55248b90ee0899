#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSocketNotifier;

// Lets one Velorin run at a time. The running one holds a lock and listens
// on a local socket beside it; a second start hands its file (or nothing,
// to bring the window forward) over that socket and ends. The socket is a
// plain Unix one, so that starting needs no network library.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The lock file, and the socket beside it (the same name ending in ".socket").
    explicit SingleInstance(const QString& lockFile, QObject* parent = nullptr);
    ~SingleInstance() override;

    // False when another instance holds the lock. The first to acquire it
    // also starts listening for later starts.
    bool acquire();

    // Gives the running instance a file to open (empty: only come forward).
    // False when no running instance took it within a few seconds.
    bool handOver(const QString& file);

signals:
    // A later start asked for this; file is empty when it named none.
    void openRequested(const QString& file);

private:
    struct Request;
    void takeConnections();
    void readRequest(int fd);
    void drop(int fd);

    QLockFile lock_;
    QByteArray socketPath_;
    int listening_ = -1;
    QSocketNotifier* accepting_ = nullptr;
    std::map<int, std::unique_ptr<Request>> requests_;
};
