// The web door under browser players: ROOMS rooms of PER_ROOM players each,
// over WebSocket, every player sending a chat line RATE times a second and
// reading everything its room sends. Reports the messages delivered to the
// others of each room, and the latency from send to receipt.
//
//   bench_door_fanout HOST PORTS ROOMS PER_ROOM RATE SECONDS [PROCESSES]
//
// PORTS is one web door's port or several, comma-separated: room k goes to
// the k-th modulo their number, as a proxy that spreads rooms would send it.
// A message is ":b ID SEQ TIME", a chat line, so that the door lets it on.
// The clients are split over PROCESSES worker processes (by default one per
// 600 players), each with its own epoll loop and a timerfd for the sends. The
// clock starts once every player has finished its handshake (and so is in its
// room). The WebSocket framing is the little a client needs: masked text
// frames out (with a zero mask, which leaves the text as it is), unmasked
// short text frames in.
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
    std::vector<int> ports;
    int rooms;
    int perRoom;
    double rate;
    double seconds;
    int count() const { return rooms * perRoom; }
};

struct Client {
    int fd = -1;
    int id = 0;  // over all workers; its room is id / perRoom
    std::string in;  // frames not yet complete
    std::string outbox;
    long long seq = 0;
};

// Connects player `id` and upgrades its connection; blocking, before the loop.
int join(const Settings& s, int id)
{
    const int room = id / s.perRoom;
    const int port = s.ports[static_cast<std::size_t>(room) % s.ports.size()];
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, s.host, &a.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        std::perror("connect");
        return -1;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char request[512];
    const int n = std::snprintf(request, sizeof request,
                                "GET /r/b%d HTTP/1.1\r\nHost: %s:%d\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n",
                                room, s.host, port);
    if (!writeAll(fd, request, static_cast<std::size_t>(n)))
        return -1;
    std::string head;
    char c;
    while (head.size() < 4 || head.compare(head.size() - 4, 4, "\r\n\r\n") != 0) {
        if (read(fd, &c, 1) != 1)
            return -1;
        head += c;
    }
    if (head.compare(0, 12, "HTTP/1.1 101") != 0) {
        std::fprintf(stderr, "player %d refused: %s\n", id, head.substr(0, head.find('\r')).c_str());
        return -1;
    }
    return fd;
}

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
        c.fd = join(s, c.id);
        if (c.fd < 0)
            return 1;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = static_cast<uint32_t>(k);
        epoll_ctl(ep, EPOLL_CTL_ADD, c.fd, &ev);
    }
    if (!writeAll(up, "r", 1))
        return 1;

    auto arm = [timer](long long at) { armAt(timer, at); };
    Totals totals;
    std::vector<float> latencyUs;
    latencyUs.reserve(1 << 20);
    std::vector<epoll_event> events(clients.size() + 2);
    std::vector<char> buf(1 << 16);
    long long start = -1, stopSending = -1, stopReading = -1, cpuAtStart = 0;
    std::size_t cursor = 0;
    long long round = 0;
    auto dueOf = [&](std::size_t k, long long r) { return start + r * interval + interval * clients[k].id / s.count(); };
    auto send = [&totals](Client& c, const char* bytes, std::size_t size) {
        if (!sendOrKeep(c.fd, c.outbox, bytes, size))
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
                if (now >= stopSending)
                    continue;
                char frame[96];
                while (dueOf(cursor, round) <= now) {
                    Client& c = clients[cursor];
                    const int size =
                        std::snprintf(frame + 6, sizeof frame - 6, ":b %d %lld %lld", c.id, c.seq++, nowNs());
                    frame[0] = '\x81';
                    frame[1] = static_cast<char>(0x80 | size);
                    std::memset(frame + 2, 0, 4);
                    send(c, frame, static_cast<std::size_t>(size) + 6);
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
                c.in.append(buf.data(), static_cast<std::size_t>(got));
                std::size_t at = 0;
                while (c.in.size() - at >= 2) {
                    const std::size_t length = static_cast<unsigned char>(c.in[at + 1]) & 0x7f;
                    if (length >= 126 || c.in.size() - at < 2 + length)
                        break;  // no longer message is sent here
                    const char* text = c.in.data() + at + 2;
                    long long field[3] = {0, 0, 0};
                    int f = -1;
                    for (std::size_t q = 0; q < length && f < 3; ++q) {
                        if (text[q] == ' ')
                            ++f;
                        else if (f >= 0)
                            field[f] = field[f] * 10 + (text[q] - '0');
                    }
                    if (f == 2) {
                        if (field[0] == c.id) {
                            ++totals.echoed;
                        } else {
                            ++totals.delivered;
                            latencyUs.push_back(static_cast<float>(received - field[2]) / 1000.0f);
                        }
                    }
                    at += 2 + length;
                }
                c.in.erase(0, at);
            }
        }
        const long long now = nowNs();
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
    if (argc != 7 && argc != 8) {
        std::fprintf(stderr, "usage: %s HOST PORTS ROOMS PER_ROOM RATE SECONDS [PROCESSES]\n", argv[0]);
        return 2;
    }
    Settings s{argv[1], {}, std::atoi(argv[3]), std::atoi(argv[4]), std::atof(argv[5]), std::atof(argv[6])};
    for (const char* p = argv[2]; *p;) {
        s.ports.push_back(std::atoi(p));
        p = std::strchr(p, ',');
        if (!p)
            break;
        ++p;
    }
    const int processes = std::clamp(argc == 8 ? std::atoi(argv[7]) : (s.count() + 599) / 600, 1, std::max(1, s.count()));
    if (s.rooms < 1 || s.perRoom < 2 || s.rate <= 0 || s.seconds <= 0 || s.ports.empty()) {
        std::fprintf(stderr, "need a room of two at least, a rate, a time and a port\n");
        return 2;
    }
    takeAllFiles();
    Results r;
    // The parent says when the players send, for a script that measures the
    // door's CPU time over the same span.
    const bool ok = run(
        processes, s.count(), 200000, [&s](int first, int last, int up, int down) { return work(s, first, last, up, down); },
        [] {
            std::printf("sending\n");
            std::fflush(stdout);
        },
        r);
    if (!ok) {
        std::fprintf(stderr, "a worker failed\n");
        return 1;
    }
    const Totals& all = r.all;
    const double busiest = r.busiest;
    const double median = r.percentile(0.5), p99 = r.percentile(0.99);
    const long long expected = all.sent * (s.perRoom - 1);
    std::printf("players %d in %d rooms, sent %lld, delivered to others %lld of %lld (%.1f%%), %.0f deliveries/s, "
                "latency median %.3f ms, p99 %.3f ms, echoed to sender %lld; generator: %d processes, "
                "busiest %.0f%% of a core, %lld sends waited\n",
                s.count(), s.rooms, all.sent, all.delivered, expected,
                expected ? 100.0 * double(all.delivered) / double(expected) : 0.0, double(all.delivered) / s.seconds,
                median / 1000, p99 / 1000, all.echoed, processes, busiest, all.stalled);
    return 0;
}
