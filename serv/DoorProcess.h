#pragma once

#include "Fd.h"

#include <string>
#include <sys/types.h>
#include <vector>

// The web door, a program of its own (serv-web, beside serv), started as a
// child that reaches the relay through one end of a socket pair: one client
// of the relay that carries every browser player of the lobby. The relay's
// loop stays as it is; HTTP and WebSocket live in the child.
class DoorProcess {
public:
    DoorProcess() = default;
    ~DoorProcess();
    DoorProcess(const DoorProcess&) = delete;
    DoorProcess& operator=(const DoorProcess&) = delete;

    // Starts `program` with `arguments` and waits until it listens. The
    // relay's end of the socket pair is in relayEnd(). On failure, false and
    // exitCode() tells how the child ended (2 for a usage error).
    bool start(const std::string& program, const std::vector<std::string>& arguments);
    Fd takeRelayEnd() { return std::move(relayEnd_); }
    int exitCode() const { return exitCode_; }
    const std::string& errorString() const { return error_; }
    // Waits a moment for the child, which ends when its bridge closes, then
    // ends it.
    void stop();

private:
    pid_t pid_ = -1;
    Fd relayEnd_;
    int exitCode_ = 1;
    std::string error_;
};
