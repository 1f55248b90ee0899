// Key to sound, as a musician hears it: keys sent with XTEST to each
// program's window, the sound each program makes captured from its own null
// sink's monitor by `parec --latency-msec=1`, each chunk stamped as it
// arrives. The programs take turns in blocks of presses.
//   bench_key_to_sound PRESSES BLOCK HOLD_MS NAME=WINDOW@SINK...
// WINDOW is an X window id, SINK a sink of the sound server whose monitor
// is captured. Prints one line per program:
//   NAME presses P heard H median M p90 X p99 Y worst W dropouts D longest-gap G
// with times in ms from the key's XFlush to the first sound, D the notes
// with a gap of silence (1 ms or more) while the key was held, G the
// longest such gap in ms.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <csignal>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int rate = 48000;
constexpr int onsetLevel = 100;          // of 32767: well above the silence between notes, which is 0
constexpr int silentLevel = 2;           // a dropout is digital silence
constexpr int gapSamples = rate / 1000;  // 1 ms of it
constexpr double quietBeforeMs = 150;    // the last note has died away

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Chunk {
    std::size_t end;  // samples captured once it arrived
    Clock::time_point at;
};

// One program's sound, captured by a parec child.
struct Capture {
    std::string name;
    Window window = 0;
    std::string sink;
    pid_t parec = -1;
    int fd = -1;
    std::thread reader;
    std::mutex mutex;
    std::vector<short> samples;
    std::vector<Chunk> chunks;

    bool start()
    {
        int pipefd[2];
        if (pipe(pipefd) != 0)
            return false;
        parec = fork();
        if (parec == 0) {
            dup2(pipefd[1], 1);
            close(pipefd[0]);
            close(pipefd[1]);
            const std::string device = sink + ".monitor";
            execlp("parec", "parec", "--latency-msec=1", "--raw", "--format=s16le", "--channels=1",
                   ("--rate=" + std::to_string(rate)).c_str(), "-d", device.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipefd[1]);
        fd = pipefd[0];
        reader = std::thread([this] { read(); });
        return parec > 0;
    }

    void read()
    {
        std::vector<char> buffer(1 << 16);
        std::size_t carry = 0;  // an odd byte left from the last read
        char odd = 0;
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data() + carry, buffer.size() - carry);
            const auto at = Clock::now();
            if (n <= 0)
                return;
            if (carry)
                buffer[0] = odd;
            const std::size_t bytes = carry + static_cast<std::size_t>(n);
            std::lock_guard lock(mutex);
            const std::size_t count = bytes / 2;
            const auto* in = reinterpret_cast<const short*>(buffer.data());
            samples.insert(samples.end(), in, in + count);
            chunks.push_back({samples.size(), at});
            carry = bytes % 2;
            if (carry)
                odd = buffer[bytes - 1];
        }
    }

    void stop()
    {
        if (parec > 0) {
            kill(parec, SIGTERM);
            waitpid(parec, nullptr, 0);
        }
        if (reader.joinable())
            reader.join();
        close(fd);
    }

    // When sample i arrived.
    Clock::time_point arrival(std::size_t i) const
    {
        const auto it = std::upper_bound(chunks.begin(), chunks.end(), i,
                                         [](std::size_t s, const Chunk& c) { return s < c.end; });
        return it == chunks.end() ? Clock::time_point::max() : it->at;
    }

    // The first sample that arrived at or after t.
    std::size_t firstArrivedAfter(Clock::time_point t) const
    {
        const auto it = std::lower_bound(chunks.begin(), chunks.end(), t,
                                         [](const Chunk& c, Clock::time_point x) { return c.at < x; });
        if (it == chunks.end())
            return samples.size();
        return it == chunks.begin() ? 0 : std::prev(it)->end;
    }

    // How long the sound has been silent, up to now.
    double silentForMs()
    {
        std::lock_guard lock(mutex);
        std::size_t i = samples.size();
        while (i > 0 && std::abs(samples[i - 1]) < onsetLevel)
            --i;
        if (i == samples.size() || samples.empty())
            return 0;
        return (samples.size() - i) * 1000.0 / rate;
    }
};

struct Press {
    Capture* capture;
    Clock::time_point down;
    Clock::time_point up;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const double at = p * (static_cast<double>(v.size()) - 1);
    const auto i = static_cast<std::size_t>(at);
    return i + 1 < v.size() ? v[i] + (at - i) * (v[i + 1] - v[i]) : v[i];
}
}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s PRESSES BLOCK HOLD_MS NAME=WINDOW@SINK...\n", argv[0]);
        return 2;
    }
    // The captures and the keys are the rig: real-time where granted (the
    // parec children and the reading threads inherit it), so that a busy
    // machine shows in the programs measured, not in when a chunk is read.
    // Below the sound threads it measures (Velorin's and the floor's 10,
    // FluidSynth's own higher): three parec children starting at a higher
    // priority took both cores for a moment and made the programs' streams
    // run dry, which the rig then counted against them.
    const sched_param realtime{5};
    const bool rigRealtime = sched_setscheduler(0, SCHED_FIFO, &realtime) == 0;
    std::fprintf(stderr, "capture real-time: %s\n", rigRealtime ? "yes" : "no");
    const int presses = std::atoi(argv[1]);
    const int block = std::atoi(argv[2]);
    const int holdMs = std::atoi(argv[3]);
    std::vector<std::unique_ptr<Capture>> captures;
    for (int i = 4; i < argc; ++i) {
        const std::string given = argv[i];
        const auto eq = given.find('='), at = given.find('@');
        if (eq == std::string::npos || at == std::string::npos || at < eq)
            return 2;
        auto c = std::make_unique<Capture>();
        c->name = given.substr(0, eq);
        c->window = static_cast<Window>(std::strtoul(given.substr(eq + 1, at - eq - 1).c_str(), nullptr, 0));
        c->sink = given.substr(at + 1);
        if (!c->start())
            return 1;
        captures.push_back(std::move(c));
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const KeyCode key = XKeysymToKeycode(display, XK_z);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the captures run

    std::vector<Press> done;
    for (int first = 0; first < presses; first += block) {
        for (auto& c : captures) {
            XRaiseWindow(display, c->window);
            XSetInputFocus(display, c->window, RevertToParent, CurrentTime);
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            for (int n = first; n < std::min(presses, first + block); ++n) {
                for (int waited = 0; c->silentForMs() < quietBeforeMs && waited < 3000; waited += 20)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                // A little jitter, so that presses do not fall on one phase of the periods.
                std::this_thread::sleep_for(std::chrono::microseconds(std::rand() % 20000));
                XTestFakeKeyEvent(display, key, True, CurrentTime);
                XFlush(display);
                const auto down = Clock::now();
                std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
                XTestFakeKeyEvent(display, key, False, CurrentTime);
                XFlush(display);
                done.push_back({c.get(), down, Clock::now()});
            }
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (auto& c : captures)
        c->stop();

    for (auto& c : captures) {
        std::vector<double> latencies;
        int dropouts = 0, count = 0;
        double longestGap = 0;
        for (std::size_t p = 0; p < done.size(); ++p) {
            const Press& press = done[p];
            if (press.capture != c.get())
                continue;
            ++count;
            const auto& s = c->samples;
            std::size_t i = c->firstArrivedAfter(press.down);
            const std::size_t limit = std::min(s.size(), i + static_cast<std::size_t>(rate));
            while (i < limit && std::abs(s[i]) < onsetLevel)
                ++i;
            if (i >= limit)
                continue;  // not heard within a second
            const double latency = ms(c->arrival(i) - press.down);
            latencies.push_back(latency);
            // While the key was held: from the onset to the sound of the release.
            const std::size_t heldSamples =
                static_cast<std::size_t>(std::max(0.0, ms(press.up - press.down) - 5) * rate / 1000);
            const std::size_t end = std::min(s.size(), i + heldSamples);
            std::size_t run = 0, longest = 0;
            for (std::size_t k = i; k < end; ++k) {
                run = std::abs(s[k]) <= silentLevel ? run + 1 : 0;
                longest = std::max(longest, run);
            }
            if (longest >= static_cast<std::size_t>(gapSamples))
                ++dropouts;
            longestGap = std::max(longestGap, longest >= static_cast<std::size_t>(gapSamples) ? longest * 1000.0 / rate : 0);
        }
        std::printf("%s presses %d heard %zu median %.2f p90 %.2f p99 %.2f worst %.2f dropouts %d longest-gap %.1f\n",
                    c->name.c_str(), count, latencies.size(), percentile(latencies, 0.5), percentile(latencies, 0.9),
                    percentile(latencies, 0.99),
                    latencies.empty() ? NAN : *std::max_element(latencies.begin(), latencies.end()), dropouts,
                    longestGap);
    }
    return 0;
}
