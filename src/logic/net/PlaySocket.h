#pragma once

#include <functional>
#include <string>
#include <string_view>

// The connection to a play server: a TCP client whose events arrive on the
// window's thread. States as the window reads them: 0 closed, 7 connected,
// anything else on the way between.
class PlaySocket {
public:
    static constexpr int closed = 0;
    static constexpr int connected = 7;

    virtual ~PlaySocket() = default;

    virtual int state() const = 0;
    virtual void connectTo(const std::string& host, int port) = 0;
    // Closes without reporting it as a failure.
    virtual void close() = 0;
    // One message, sent as one write.
    virtual void send(std::string_view bytes) = 0;
    // How this computer names itself on the network.
    virtual std::string localHostName() const = 0;

    std::function<void()> onConnected;
    std::function<void(const std::string&)> onData;
    // An error, a failed connection, or the server closing: once per connection.
    std::function<void()> onError;
};
