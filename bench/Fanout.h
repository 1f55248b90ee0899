#pragma once

// What the fan-out load generators share (bench_relay_fanout,
// bench_door_fanout): the clock, whole reads and writes on pipes, and the
// worker processes, each with its own share of the clients, that start
// together and report their totals and latency samples to the parent.
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace Fanout {

inline long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline long long cpuNs()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000000000LL + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) * 1000LL;
}

inline bool writeAll(int fd, const void* data, std::size_t size)
{
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, at, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

inline bool readAll(int fd, void* data, std::size_t size)
{
    char* at = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, at, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Every client is a descriptor: take all the system allows.
inline void takeAllFiles()
{
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
}

// Sets a timerfd to fire once at `at` (nowNs).
inline void armAt(int timer, long long at)
{
    itimerspec t{};
    at = std::max(at, 1LL);
    t.it_value.tv_sec = at / 1000000000LL;
    t.it_value.tv_nsec = at % 1000000000LL;
    timerfd_settime(timer, TFD_TIMER_ABSTIME, &t, nullptr);
}

// Sends behind what `outbox` holds, never blocking; what the socket does not
// take waits there. False when something had to wait.
inline bool sendOrKeep(int fd, std::string& outbox, const char* bytes, std::size_t size)
{
    if (!outbox.empty()) {
        const ssize_t n = ::send(fd, outbox.data(), outbox.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0)
            outbox.erase(0, static_cast<std::size_t>(n));
    }
    std::size_t done = 0;
    if (outbox.empty()) {
        const ssize_t n = ::send(fd, bytes, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        done = n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    if (done == size)
        return true;
    outbox.append(bytes + done, size - done);
    return false;
}

// What one worker counted while its clients sent.
struct Totals {
    long long sent = 0, delivered = 0, echoed = 0, stalled = 0, cpuNs = 0, sendingNs = 0, samples = 0;
};

// The end of a worker: its totals and its samples to the parent.
inline int report(int up, Totals totals, const std::vector<float>& latencyUs)
{
    totals.samples = static_cast<long long>(latencyUs.size());
    return writeAll(up, &totals, sizeof totals) && writeAll(up, latencyUs.data(), latencyUs.size() * sizeof(float)) ? 0 : 1;
}

struct Results {
    Totals all;
    std::vector<float> latencyUs;
    double busiest = 0;  // % of a core, the busiest worker while sending

    // The latency below which the share p (0 to 1) of the samples lies, in µs.
    double percentile(double p)
    {
        if (latencyUs.empty())
            return 0;
        const auto k = static_cast<std::ptrdiff_t>(p * double(latencyUs.size() - 1));
        std::nth_element(latencyUs.begin(), latencyUs.begin() + k, latencyUs.end());
        return double(latencyUs[static_cast<std::size_t>(k)]);
    }
};

// Runs work(first, last, up, down) for clients [first, last) of `count` in
// each of `processes` children. A worker writes one byte on `up` once its
// clients are ready, reads the start time (nowNs) from `down`, and ends with
// report(). `started` runs in the parent once the start time is sent. False
// when a worker failed.
inline bool run(int processes, int count, long long settleUs,
                const std::function<int(int first, int last, int up, int down)>& work,
                const std::function<void()>& started, Results& results)
{
    struct Worker {
        pid_t pid;
        int up;
        int down;
    };
    std::vector<Worker> workers;
    for (int w = 0; w < processes; ++w) {
        int up[2], down[2];
        if (pipe(up) != 0 || pipe(down) != 0)
            return false;
        const pid_t pid = fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            close(up[0]);
            close(down[1]);
            for (const Worker& other : workers) {
                close(other.up);
                close(other.down);
            }
            std::_Exit(work(count * w / processes, count * (w + 1) / processes, up[1], down[0]));
        }
        close(up[1]);
        close(down[0]);
        workers.push_back({pid, up[0], down[1]});
    }
    bool ok = true;
    for (const Worker& w : workers) {
        char ready = 0;
        ok = ok && readAll(w.up, &ready, 1);
    }
    usleep(static_cast<useconds_t>(settleUs));
    const long long start = nowNs() + 20000000LL;
    for (const Worker& w : workers)
        ok = ok && writeAll(w.down, &start, sizeof start);
    if (ok)
        started();
    for (const Worker& w : workers) {
        Totals t;
        if (!ok || !readAll(w.up, &t, sizeof t)) {
            ok = false;
            break;
        }
        const std::size_t at = results.latencyUs.size();
        results.latencyUs.resize(at + static_cast<std::size_t>(t.samples));
        ok = readAll(w.up, results.latencyUs.data() + at, static_cast<std::size_t>(t.samples) * sizeof(float));
        results.all.sent += t.sent;
        results.all.delivered += t.delivered;
        results.all.echoed += t.echoed;
        results.all.stalled += t.stalled;
        if (t.sendingNs > 0)
            results.busiest = std::max(results.busiest, 100.0 * double(t.cpuNs) / double(t.sendingNs));
    }
    for (const Worker& w : workers) {
        close(w.down);  // a worker still waiting for the start ends
        int status = 0;
        waitpid(w.pid, &status, 0);
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return ok;
}

}  // namespace Fanout
