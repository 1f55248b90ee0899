#pragma once

#include "Fd.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

// The web door, a program of its own (serv-web, beside serv), started as a
// child that reaches the relay through one end of a socket pair: one client
// of the relay that carries every browser player of the lobby. The relay's
// loop stays as it is; HTTP and WebSocket live in the child.
//
// A door that ends while the relay serves (a crash, a kill) is noticed,
// reaped and started again on the same port, after a pause that grows while
// it keeps ending; a door that cannot be started again makes the relay end
// with a failing status.
class DoorProcess {
public:
    using Log = std::function<void(std::string_view line)>;
    // Hands a new door's bridge to the relay, from the watcher's thread.
    using Adopt = std::function<void(Fd bridge)>;

    explicit DoorProcess(Log log) : log_(std::move(log)) {}
    ~DoorProcess();
    DoorProcess(const DoorProcess&) = delete;
    DoorProcess& operator=(const DoorProcess&) = delete;

    // Starts `program` with `arguments` (which name the port with "--port")
    // and waits until it listens. The relay's end of the socket pair is in
    // takeRelayEnd(). `listening` is called, on a thread of its own, whenever
    // the door says whether anyone listens behind the bridge. On failure,
    // false and exitCode() tells how the child ended (2 for a usage error).
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               std::function<void(bool)> listening);
    Fd takeRelayEnd() { return std::move(relayEnd_); }
    // From here on a door that ends is started again; its bridge goes to
    // `adopt`. `failed` is called when that cannot be done.
    void watch(Adopt adopt, std::function<void()> failed);
    int exitCode() const { return exitCode_; }
    const std::string& errorString() const { return error_; }
    // Safe from a signal handler: the relay is going, so a door that ends
    // now is not started again.
    void ending() { ending_.store(true); }
    // Ends the watching and the door: SIGTERM (the door closes its players'
    // connections with a word), a moment, then SIGKILL.
    void stop();

private:
    bool launch();
    void supervise();
    bool pause(double seconds);
    void readControl();

    Log log_;
    std::string program_;
    std::vector<std::string> arguments_;
    std::function<void(bool)> listening_;
    Adopt adopt_;
    std::function<void()> failed_;
    std::atomic<pid_t> pid_{-1};
    Fd relayEnd_;
    Fd control_;  // the door's word on its listeners: '1' or '0'
    std::uint16_t port_ = 0;
    std::thread watcher_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::atomic<bool> ending_{false};
    bool stopping_ = false;  // under lock_
    int exitCode_ = 1;
    std::string error_;
};
