#pragma once

#include "Fd.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
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
    // relay's end of the socket pair is in takeRelayEnd(). `listening` is
    // called, on a thread of its own, whenever the door says whether anyone
    // listens behind the bridge. On failure, false and exitCode() tells how
    // the child ended (2 for a usage error).
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               std::function<void(bool)> listening);
    Fd takeRelayEnd() { return std::move(relayEnd_); }
    int exitCode() const { return exitCode_; }
    const std::string& errorString() const { return error_; }
    // No more calls of `listening` after this.
    void endControl();
    // Waits a moment for the child, which ends when its bridge closes, then
    // ends it.
    void stop();

private:
    pid_t pid_ = -1;
    Fd relayEnd_;
    Fd control_;  // the door's word on its listeners: '1' or '0'
    std::thread controlReader_;
    int exitCode_ = 1;
    std::string error_;
};
