#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <string>
#include <string_view>

// The door's end of the socket pair to the relay: one client of the relay
// that carries the lobby's browser players. Reads and writes never block;
// what the relay has not taken yet waits here, in order.
class RelayBridge : public QObject {
public:
    using Arrival = std::function<void(std::string_view bytes)>;
    // `control`, when given, is told '1' while the bridge is eager and '0'
    // while not, so that the relay sends nothing to a door nobody listens at.
    RelayBridge(int fd, int control, Arrival arrived, std::function<void()> closed, QObject* parent = nullptr);
    ~RelayBridge() override;

    void send(std::string_view bytes);
    // Eager: every arrival is read at once, for players waiting for it. Not
    // eager: what arrives is taken a few times a second, in bulk, so that a
    // door without lobby players wakes for nothing and costs the relay
    // nothing. Going eager first takes what waits.
    void setEager(bool eager);
    std::size_t unsent() const { return unsent_.size(); }

private:
    void readable();
    bool readSome();
    void writable();
    void end();

    void tell(bool listening);

    int fd_;
    int control_;
    Arrival arrived_;
    std::function<void()> closed_;
    QSocketNotifier reads_;
    QSocketNotifier writes_;
    QTimer drain_;
    std::string unsent_;
    bool ended_ = false;
};
