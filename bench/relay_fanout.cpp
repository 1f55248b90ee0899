// Relay fan-out on loopback: N clients connect to a relay (Velorin's serv or
// any other broker), each sends key messages at a steady rate, and every
// client reads everything. Reports messages delivered to other clients per
// second and the delivery latency from send to receipt.
//
//   bench_relay_fanout HOST PORT CLIENTS RATE_PER_CLIENT SECONDS
//
// Messages carry their sender, a sequence number and the send time, ended by
// a newline, so that the receiver can tell them apart even when the relay or
// TCP joins them.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

struct Client {
    int fd = -1;
    std::string inbox;
    long long nextSend = 0;
    long long seq = 0;
};
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s HOST PORT CLIENTS RATE_PER_CLIENT SECONDS\n", argv[0]);
        return 2;
    }
    const char* host = argv[1];
    const int port = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    const double rate = std::atof(argv[4]);
    const double seconds = std::atof(argv[5]);
    const long long interval = static_cast<long long>(1e9 / rate);

    const int ep = epoll_create1(0);
    std::vector<Client> clients(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Client& c = clients[static_cast<std::size_t>(i)];
        c.fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET, host, &a.sin_addr);
        if (connect(c.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            std::perror("connect");
            return 1;
        }
        const int one = 1;
        setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        fcntl(c.fd, F_SETFL, O_NONBLOCK);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = static_cast<uint32_t>(i);
        epoll_ctl(ep, EPOLL_CTL_ADD, c.fd, &ev);
    }
    usleep(300000);  // let every connection settle before the clock starts

    const long long start = nowNs();
    for (int i = 0; i < count; ++i)  // spread the senders over one interval
        clients[static_cast<std::size_t>(i)].nextSend = start + interval * i / count;
    const long long stopSending = start + static_cast<long long>(seconds * 1e9);
    const long long stopReading = stopSending + 1000000000LL;

    long long sent = 0, delivered = 0, echoed = 0;
    std::vector<double> latencyUs;
    latencyUs.reserve(1 << 22);
    std::vector<epoll_event> events(1024);
    char buf[65536];
    for (;;) {
        const long long now = nowNs();
        if (now >= stopReading)
            break;
        long long nextDue = stopReading;
        if (now < stopSending) {
            for (int i = 0; i < count; ++i) {
                Client& c = clients[static_cast<std::size_t>(i)];
                while (c.nextSend <= now) {
                    const std::string msg = std::to_string(i) + " " + std::to_string(c.seq++) + " " +
                                            std::to_string(nowNs()) + "\n";
                    if (write(c.fd, msg.data(), msg.size()) == static_cast<ssize_t>(msg.size()))
                        ++sent;
                    c.nextSend += interval;
                }
                nextDue = std::min(nextDue, c.nextSend);
            }
        }
        const long long waitNs = std::max(0LL, nextDue - nowNs());
        const int n = epoll_wait(ep, events.data(), static_cast<int>(events.size()), static_cast<int>(waitNs / 1000000));
        for (int k = 0; k < n; ++k) {
            const int i = static_cast<int>(events[static_cast<std::size_t>(k)].data.u32);
            Client& c = clients[static_cast<std::size_t>(i)];
            ssize_t got;
            while ((got = read(c.fd, buf, sizeof buf)) > 0) {
                c.inbox.append(buf, static_cast<std::size_t>(got));
                const long long received = nowNs();
                std::size_t pos = 0, nl;
                while ((nl = c.inbox.find('\n', pos)) != std::string::npos) {
                    // "from seq time": three numbers, parsed by hand to keep the reader cheap.
                    long long field[3] = {0, 0, 0};
                    int f = 0;
                    for (std::size_t q = pos; q < nl && f < 3; ++q) {
                        const char ch = c.inbox[q];
                        if (ch == ' ')
                            ++f;
                        else
                            field[f] = field[f] * 10 + (ch - '0');
                    }
                    const int from = static_cast<int>(field[0]);
                    const long long t = field[2];
                    if (f == 2) {
                        if (from == i) {
                            ++echoed;
                        } else {
                            ++delivered;
                            if (t >= start)
                                latencyUs.push_back(static_cast<double>(received - t) / 1000.0);
                        }
                    }
                    pos = nl + 1;
                }
                c.inbox.erase(0, pos);
            }
        }
    }
    std::sort(latencyUs.begin(), latencyUs.end());
    auto pct = [&](double p) {
        return latencyUs.empty() ? 0.0 : latencyUs[static_cast<std::size_t>(p * double(latencyUs.size() - 1))];
    };
    const long long expected = sent * (count - 1);
    std::printf("clients %d, sent %lld, delivered to others %lld of %lld (%.1f%%), %.0f deliveries/s, "
                "latency median %.3f ms, p99 %.3f ms, echoed to sender %lld\n",
                count, sent, delivered, expected, expected ? 100.0 * double(delivered) / double(expected) : 0.0,
                double(delivered) / seconds, pct(0.5) / 1000, pct(0.99) / 1000, echoed);
    for (Client& c : clients)
        close(c.fd);
    return 0;
}
