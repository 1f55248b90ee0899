#include "DoorProcess.h"

#include <fcntl.h>
#include <pthread.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
// The child finds its bridge and its ready pipe at these numbers.
constexpr int bridgeFd = 3;
constexpr int readyFd = 4;
constexpr int controlFd = 5;
constexpr int readyWaitMs = 15000;

void pause(long ms)
{
    timespec t{0, ms * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}
}  // namespace

DoorProcess::~DoorProcess() { stop(); }

bool DoorProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                        std::function<void(bool)> listening)
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
    // calls that are safe there.
    std::vector<std::string> words{program, "--bridge-fd", std::to_string(bridgeFd), "--ready-fd",
                                   std::to_string(readyFd), "--control-fd", std::to_string(controlFd)};
    words.insert(words.end(), arguments.begin(), arguments.end());
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
        for (int s : {SIGTERM, SIGINT, SIGHUP})
            signal(s, SIG_DFL);
        // dup2 leaves close-on-exec off on the copies, so these two survive
        // exec and everything else of the relay's is closed.
        if (dup2(door.get(), bridgeFd) < 0 || dup2(readyWrite.get(), readyFd) < 0 ||
            dup2(controlThere.get(), controlFd) < 0)
            _exit(1);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    pid_ = pid;
    door.reset();
    readyWrite.reset();
    controlThere.reset();

    // The door writes one byte once it listens, or ends.
    pollfd p{readyRead.get(), POLLIN, 0};
    int polled;
    do {
        polled = poll(&p, 1, readyWaitMs);
    } while (polled < 0 && errno == EINTR);
    char byte = 0;
    if (polled == 1 && ::read(readyRead.get(), &byte, 1) == 1) {
        relayEnd_ = std::move(relay);
        control_ = std::move(controlHere);
        controlReader_ = std::thread([fd = control_.get(), listening = std::move(listening)] {
            // Signals are the relay loop's: this thread takes none.
            sigset_t all;
            sigfillset(&all);
            pthread_sigmask(SIG_BLOCK, &all, nullptr);
            char word[64];
            for (;;) {
                const ssize_t n = ::read(fd, word, sizeof word);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return;
                listening(word[n - 1] == '1');  // the latest word counts
            }
        });
        return true;
    }
    int status = 0;
    if (polled == 1 && waitpid(pid_, &status, 0) == pid_) {
        pid_ = -1;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
        error_ = exitCode_ == 127 ? "cannot run " + program : "the web door did not start";
    } else {
        error_ = "the web door did not start in time";
        stop();
    }
    return false;
}

void DoorProcess::endControl()
{
    if (control_.valid())
        ::shutdown(control_.get(), SHUT_RDWR);
    if (controlReader_.joinable())
        controlReader_.join();
    control_.reset();
}

void DoorProcess::stop()
{
    endControl();
    if (pid_ <= 0)
        return;
    relayEnd_.reset();
    // Closing the bridge ends the door; give it half a second, then ask.
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        if (i == 25)
            kill(pid_, SIGTERM);
        pause(10);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
