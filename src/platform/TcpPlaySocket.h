#pragma once

#include "logic/net/PlaySocket.h"

#include <QTcpSocket>

// The play server connection on a QTcpSocket, with Nagle's algorithm off so
// that every message leaves as it was written.
class TcpPlaySocket : public PlaySocket {
public:
    TcpPlaySocket();

    int state() const override;
    void connectTo(const std::string& host, int port) override;
    void close() override;
    void send(std::string_view bytes) override;
    std::string localHostName() const override;

    // How much may wait for a server that does not read before the connection fails.
    static constexpr qint64 maxPending = 1 << 20;

private:
    void failed();

    QTcpSocket socket_;
    bool reported_ = false;  // the failure of this connection was reported
    bool closing_ = false;   // we close it ourselves: no failure to report
};
