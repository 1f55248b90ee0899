// Relay fan-out on loopback: N clients connect to a relay (Velorin's serv or
// any other broker), each sends key messages at a steady rate, and every
// client reads everything. Reports messages delivered to other clients per
// second and the delivery latency from send to receipt.
//
//   bench_relay_fanout HOST PORT CLIENTS RATE_PER_CLIENT SECONDS [PROCESSES]
//
// Messages carry their sender, a sequence number and the send time, ended by
// CR LF as Velorin's are, so that the receiver can tell them apart even when
// the relay or TCP joins them.
//
// The clients are split over PROCESSES worker processes (by default one per
// 500 clients), each with its own epoll loop; sends are timed by a timerfd,
// so a worker sleeps between them instead of spinning. The clock starts only
// once every client has received a probe through the relay, so that a relay
// slow to accept its clients does not lose messages to ones it has not seen
// yet. Each worker reports the share of a core it used while the clients
// were sending: near 100 % would mean the generator, not the relay, is the
// limit.
#include "Fanout.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
using namespace Fanout;

struct Settings {
    const char* host;
    int port;
    int count;
    double rate;
    double seconds;
};

struct Client {
    int fd = -1;
    int id = 0;  // over all workers
    std::string partial;  // the start of a line not yet ended
    std::string outbox;  // what the socket would not take yet
    long long seq = 0;
    bool probed = false;
};

// One worker: clients [first, last) of the whole set, its own epoll loop.
// Tells the parent "ready" (one byte) on `up`, waits for the start time on
// `down`, and at the end sends its totals and latency samples on `up`.
int work(const Settings& s, int first, int last, int up, int down)
{
    const long long interval = static_cast<long long>(1e9 / s.rate);
    const int ep = epoll_create1(0);
    const int timer = timerfd_create(CLOCK_MONOTONIC, 0);
    epoll_event tev{};
    tev.events = EPOLLIN;
    tev.data.u32 = UINT32_MAX;
    epoll_ctl(ep, EPOLL_CTL_ADD, timer, &tev);
    epoll_event dev{};
    dev.events = EPOLLIN;
    dev.data.u32 = UINT32_MAX - 1;
    epoll_ctl(ep, EPOLL_CTL_ADD, down, &dev);

    std::vector<Client> clients(static_cast<std::size_t>(last - first));
    for (std::size_t k = 0; k < clients.size(); ++k) {
        Client& c = clients[k];
        c.id = first + static_cast<int>(k);
        c.fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(s.port));
        inet_pton(AF_INET, s.host, &a.sin_addr);
        if (connect(c.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            std::perror("connect");
            return 1;
        }
        const int one = 1;
        setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = static_cast<uint32_t>(k);
        epoll_ctl(ep, EPOLL_CTL_ADD, c.fd, &ev);
    }

    auto arm = [timer](long long at) { armAt(timer, at); };

    Totals totals;
    std::vector<float> latencyUs;
    latencyUs.reserve(1 << 20);
    std::vector<epoll_event> events(clients.size() + 2);
    std::vector<char> buf(1 << 16);
    long long start = -1, stopSending = -1, stopReading = -1, cpuAtStart = 0;
    std::size_t cursor = 0;
    long long round = 0;
    // The probe's sender need not see it: some relays do not echo.
    int unprobed = static_cast<int>(clients.size()) - (first == 0 ? 1 : 0);
    const long long giveUp = nowNs() + 60000000000LL;
    bool toldReady = false;
    if (first == 0)
        arm(nowNs());  // worker 0 sends the probes until the start

    auto dueOf = [&](std::size_t k, long long r) {
        return start + r * interval + interval * clients[k].id / s.count;
    };
    auto send = [&totals](Client& c, const char* text, std::size_t size) {
        if (!sendOrKeep(c.fd, c.outbox, text, size))
            ++totals.stalled;
    };

    for (;;) {
        const int n = epoll_wait(ep, events.data(), static_cast<int>(events.size()), 200);
        if (n < 0 && errno != EINTR)
            return 1;
        for (int e = 0; e < n; ++e) {
            const uint32_t tag = events[static_cast<std::size_t>(e)].data.u32;
            if (tag == UINT32_MAX) {
                uint64_t expirations;
                [[maybe_unused]] const auto r = read(timer, &expirations, sizeof expirations);
                const long long now = nowNs();
                if (start < 0) {
                    send(clients[0], "probe\r\n", 7);
                    arm(now + 100000000LL);
                    continue;
                }
                if (now >= stopSending)
                    continue;
                char line[80];
                while (dueOf(cursor, round) <= now) {
                    Client& c = clients[cursor];
                    const int size = std::snprintf(line, sizeof line, "%d %lld %lld\r\n", c.id, c.seq++, nowNs());
                    send(c, line, static_cast<std::size_t>(size));
                    ++totals.sent;
                    if (++cursor == clients.size()) {
                        cursor = 0;
                        ++round;
                    }
                }
                arm(dueOf(cursor, round));
            } else if (tag == UINT32_MAX - 1) {
                if (!readAll(down, &start, sizeof start))
                    return 1;
                stopSending = start + static_cast<long long>(s.seconds * 1e9);
                stopReading = stopSending + 1000000000LL;
                cpuAtStart = cpuNs();
                epoll_ctl(ep, EPOLL_CTL_DEL, down, nullptr);
                arm(dueOf(0, 0));
            } else {
                Client& c = clients[tag];
                const ssize_t got = read(c.fd, buf.data(), buf.size());
                if (got <= 0)
                    continue;
                const long long received = nowNs();
                std::size_t from = 0;
                const std::size_t size = static_cast<std::size_t>(got);
                while (from < size) {
                    const char* nl = static_cast<const char*>(std::memchr(buf.data() + from, '\n', size - from));
                    if (!nl) {
                        c.partial.append(buf.data() + from, size - from);
                        break;
                    }
                    const std::size_t to = static_cast<std::size_t>(nl - buf.data());
                    const char* line = buf.data() + from;
                    std::size_t length = to - from;
                    if (!c.partial.empty()) {
                        c.partial.append(line, length);
                        line = c.partial.data();
                        length = c.partial.size();
                    }
                    if (length >= 5 && std::memcmp(line, "probe", 5) == 0) {
                        if (!c.probed && c.id != 0) {
                            c.probed = true;
                            --unprobed;
                        }
                    } else {
                        // "from seq time": three numbers, parsed by hand to keep the reader cheap.
                        long long field[3] = {0, 0, 0};
                        int f = 0;
                        for (std::size_t q = 0; q < length && f < 3; ++q) {
                            if (line[q] == '\r')
                                break;
                            if (line[q] == ' ')
                                ++f;
                            else
                                field[f] = field[f] * 10 + (line[q] - '0');
                        }
                        if (f == 2) {
                            if (field[0] == c.id) {
                                ++totals.echoed;
                            } else {
                                ++totals.delivered;
                                latencyUs.push_back(static_cast<float>(received - field[2]) / 1000.0f);
                            }
                        }
                    }
                    c.partial.clear();
                    from = to + 1;
                }
            }
        }
        if (!toldReady && unprobed == 0) {
            toldReady = true;
            if (!writeAll(up, "r", 1))
                return 1;
        }
        const long long now = nowNs();
        if (start < 0 && now > giveUp) {
            std::fprintf(stderr, "not every client heard from the relay within a minute\n");
            return 1;
        }
        if (stopSending > 0 && now >= stopSending && totals.sendingNs == 0) {
            totals.cpuNs = cpuNs() - cpuAtStart;
            totals.sendingNs = now - start;
        }
        if (stopReading > 0 && now >= stopReading)
            break;
    }
    for (Client& c : clients)
        close(c.fd);
    return report(up, totals, latencyUs);
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: %s HOST PORT CLIENTS RATE_PER_CLIENT SECONDS [PROCESSES]\n", argv[0]);
        return 2;
    }
    const Settings s{argv[1], std::atoi(argv[2]), std::atoi(argv[3]), std::atof(argv[4]), std::atof(argv[5])};
    const int processes = std::clamp(argc == 7 ? std::atoi(argv[6]) : (s.count + 499) / 500, 1, std::max(1, s.count));
    if (s.count < 2 || s.rate <= 0 || s.seconds <= 0) {
        std::fprintf(stderr, "need at least 2 clients, a rate and a time\n");
        return 2;
    }
    takeAllFiles();
    Results r;
    // The last probes drain before the clock starts.
    const bool ok = run(
        processes, s.count, 100000, [&s](int first, int last, int up, int down) { return work(s, first, last, up, down); },
        [] {}, r);
    if (!ok) {
        std::fprintf(stderr, "a worker failed\n");
        return 1;
    }
    const Totals& all = r.all;
    const double busiest = r.busiest;
    const double median = r.percentile(0.5), p99 = r.percentile(0.99);
    const long long expected = all.sent * (s.count - 1);
    std::printf("clients %d, sent %lld, delivered to others %lld of %lld (%.1f%%), %.0f deliveries/s, "
                "latency median %.3f ms, p99 %.3f ms, echoed to sender %lld; generator: %d processes, "
                "busiest %.0f%% of a core, %lld sends waited\n",
                s.count, all.sent, all.delivered, expected, expected ? 100.0 * double(all.delivered) / double(expected) : 0.0,
                double(all.delivered) / s.seconds, median / 1000, p99 / 1000, all.echoed, processes, busiest, all.stalled);
    return 0;
}
