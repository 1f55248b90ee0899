#pragma once

#include "logic/net/PlaySocket.h"

#include <QObject>

#include <memory>
#include <string>

// The play server connection, with its network library (velorin-net.so: Qt
// Network and the libraries it brings) opened at the first connection. A
// window that never plays with others never loads them, and its start does
// not wait for them. Without the library a connection fails as an
// unreachable server does.
class LazyPlaySocket : public PlaySocket {
public:
    explicit LazyPlaySocket(std::string library);
    ~LazyPlaySocket() override;

    int state() const override;
    void connectTo(const std::string& host, int port) override;
    void close() override;
    void send(std::string_view bytes) override;
    std::string localHostName() const override;

private:
    bool load();

    std::string library_;
    std::unique_ptr<PlaySocket> socket_;
    QObject context_;  // reports a library that cannot be loaded from the event loop
};
