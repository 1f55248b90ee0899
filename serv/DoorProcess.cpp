#include "DoorProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The child finds its bridge, its ready pipe and its control socket at these
// numbers.
constexpr int bridgeFd = 3;
constexpr int readyFd = 4;
constexpr int controlFd = 5;
constexpr int readyWaitMs = 15000;
// Pauses before a door that ended is started again: each end soon after a
// start doubles it, a door that ran this long starts from the first again.
constexpr double pauses[] = {0.5, 1, 2, 4, 8, 16, 30};
constexpr auto ranLong = 60s;
// Starts in a row that never listened, before the relay gives up.
constexpr int mostFailedStarts = 5;
// A door asked to end gets this long for its goodbyes before SIGKILL.
constexpr auto stopGrace = 3s;

std::string howItEnded(int status)
{
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status)) + ", " + strsignal(WTERMSIG(status));
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    return "ended";
}

std::string seconds(double s)
{
    char text[32];
    std::snprintf(text, sizeof text, s < 1 ? "%.1f s" : "%.0f s", s);
    return text;
}
}  // namespace

DoorProcess::~DoorProcess() { stop(); }

bool DoorProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                        std::function<void(bool)> listening)
{
    program_ = program;
    arguments_ = arguments;
    listening_ = std::move(listening);
    return launch();
}

bool DoorProcess::launch()
{
    int pair[2];
    int ready[2];
    int control[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0) {
        error_ = std::string("cannot make a socket pair: ") + std::strerror(errno);
        return false;
    }
    Fd relay(pair[0]), door(pair[1]);
    if (pipe2(ready, O_CLOEXEC) != 0) {
        error_ = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    Fd readyRead(ready[0]), readyWrite(ready[1]);
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, control) != 0) {
        error_ = std::string("cannot make a socket pair: ") + std::strerror(errno);
        return false;
    }
    Fd controlHere(control[0]), controlThere(control[1]);

    // Everything the child needs is made before the fork: after it, only
    // calls that are safe there. A door started again takes the port the
    // first one got.
    std::vector<std::string> words{program_, "--bridge-fd", std::to_string(bridgeFd), "--ready-fd",
                                   std::to_string(readyFd), "--control-fd", std::to_string(controlFd)};
    words.insert(words.end(), arguments_.begin(), arguments_.end());
    const auto port = std::find(words.begin(), words.end(), "--port");
    if (port_ != 0 && port != words.end() && port + 1 != words.end())
        *(port + 1) = std::to_string(port_);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid < 0) {
        error_ = std::string("cannot start the web door: ") + std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        // The door ends with the relay, however the relay ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int s : {SIGTERM, SIGINT})
            signal(s, SIG_DFL);
        // dup2 leaves close-on-exec off on the copies, so these survive exec
        // and everything else of the relay's is closed.
        if (dup2(door.get(), bridgeFd) < 0 || dup2(readyWrite.get(), readyFd) < 0 ||
            dup2(controlThere.get(), controlFd) < 0)
            _exit(1);
        execv(program_.c_str(), argv.data());
        _exit(127);
    }
    pid_ = pid;
    door.reset();
    readyWrite.reset();
    controlThere.reset();

    // The door writes its port once it listens, or ends.
    std::string said;
    const auto deadline = Clock::now() + std::chrono::milliseconds(readyWaitMs);
    while (said.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{readyRead.get(), POLLIN, 0};
        const int polled = left > 0 ? poll(&p, 1, static_cast<int>(left)) : 0;
        if (polled < 0 && errno == EINTR)
            continue;
        char bytes[16];
        const ssize_t n = polled == 1 ? ::read(readyRead.get(), bytes, sizeof bytes) : 0;
        if (n <= 0)
            break;
        said.append(bytes, static_cast<std::size_t>(n));
    }
    if (said.find('\n') != std::string::npos) {
        port_ = static_cast<std::uint16_t>(std::atoi(said.c_str()));
        relayEnd_ = std::move(relay);
        control_ = std::move(controlHere);
        return true;
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
        error_ = exitCode_ == 127 ? "cannot run " + program_ : "the web door did not start";
    } else {
        error_ = "the web door did not start in time";
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid_ = -1;
    return false;
}

void DoorProcess::watch(Adopt adopt, std::function<void()> failed)
{
    adopt_ = std::move(adopt);
    failed_ = std::move(failed);
    watcher_ = std::thread([this] {
        // Signals are the relay loop's: this thread takes none.
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, nullptr);
        supervise();
    });
}

// Reads the door's word until its end of the control socket closes, which
// it does when it ends. Once asked to stop, the door gets a moment, then
// SIGKILL.
void DoorProcess::readControl()
{
    Clock::time_point stopAsked{};
    for (;;) {
        pollfd p{control_.get(), POLLIN, 0};
        const int polled = poll(&p, 1, 100);
        if (polled == 1) {
            char word[64];
            const ssize_t n = ::read(control_.get(), word, sizeof word);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            listening_(word[n - 1] == '1');  // the latest word counts
        }
        const std::lock_guard<std::mutex> hold(lock_);
        if (!stopping_)
            continue;
        if (stopAsked == Clock::time_point{})
            stopAsked = Clock::now();
        else if (Clock::now() - stopAsked > stopGrace)
            kill(pid_, SIGKILL);
    }
}

void DoorProcess::supervise()
{
    std::size_t next = 0;  // into pauses
    int failedStarts = 0;
    Clock::time_point started = Clock::now();
    for (;;) {
        readControl();
        control_.reset();
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        listening_(false);
        {
            const std::lock_guard<std::mutex> hold(lock_);
            if (stopping_ || ending_.load())
                return;
        }
        if (Clock::now() - started >= ranLong)
            next = 0;
        for (;;) {
            const double wait = pauses[std::min(next++, std::size(pauses) - 1)];
            log_("web door " + (failedStarts == 0 ? howItEnded(status) : "did not start again: " + error_) +
                 "; starting it again in " + seconds(wait));
            if (!pause(wait))
                return;
            if (launch())
                break;
            if (++failedStarts >= mostFailedStarts) {
                log_("web door: cannot start it again (" + error_ + ")");
                failed_();
                return;
            }
        }
        failedStarts = 0;
        started = Clock::now();
        adopt_(takeRelayEnd());
    }
}

bool DoorProcess::pause(double seconds)
{
    std::unique_lock<std::mutex> hold(lock_);
    return !wake_.wait_for(hold, std::chrono::duration<double>(seconds), [this] { return stopping_ || ending_.load(); });
}

void DoorProcess::stop()
{
    {
        const std::lock_guard<std::mutex> hold(lock_);
        if (stopping_)
            return;
        stopping_ = true;
    }
    wake_.notify_all();
    const pid_t pid = pid_.load();
    if (pid > 0)
        kill(pid, SIGTERM);
    if (watcher_.joinable()) {
        watcher_.join();  // it reaps the door
    } else if (pid > 0) {
        // Never watched: wait here, as the watcher would.
        const auto deadline = Clock::now() + stopGrace;
        while (waitpid(pid, nullptr, WNOHANG) != pid) {
            if (Clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
    }
    pid_ = -1;
    control_.reset();
    relayEnd_.reset();
}
