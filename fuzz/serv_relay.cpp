// The play server's read path: one client writes the input in pieces whose
// sizes the input itself chooses, the server passes it on, and both the
// writer and a second client must get it back unchanged but for the CR LF
// the server ends each message with. The server runs its
// loop on a thread of its own, as it runs alone in serv.
#include "FuzzCheck.h"

#include "PlayServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace {
struct Rig {
    PlayServer server{[](std::string_view) {}};
    std::thread loop;
    int writer = -1;
    int reader = -1;
};
Rig* rig = nullptr;

int connectClient()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    FUZZ_CHECK(s >= 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(rig->server.port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    FUZZ_CHECK(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0);
    const int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return s;
}

// True when `out` is `in` with CR LF put in at some places, and ends with
// CR LF: all of it came, each message ended.
bool whole(const std::string& in, const std::string& out)
{
    std::size_t i = 0, j = 0;
    while (j < out.size()) {
        if (i < in.size() && out[j] == in[i]) {
            ++i;
            ++j;
        } else if (out.compare(j, 2, "\r\n") == 0) {
            j += 2;
        } else {
            return false;
        }
    }
    return i == in.size() && out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0;
}

// Reads from both clients until each has all of `in`, for up to 5 s.
void readBoth(const std::string& in, std::string& echo, std::string& relayed)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    char buf[16384];
    while (!whole(in, echo) || !whole(in, relayed)) {
        FUZZ_CHECK(std::chrono::steady_clock::now() < deadline);
        pollfd fds[2] = {{rig->writer, POLLIN, 0}, {rig->reader, POLLIN, 0}};
        // The fuzzer's own timer may cut a wait short.
        FUZZ_CHECK(poll(fds, 2, 100) >= 0 || errno == EINTR);
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            const ssize_t got = read(fds[i].fd, buf, sizeof buf);
            FUZZ_CHECK(got > 0);
            (i == 0 ? echo : relayed).append(buf, static_cast<std::size_t>(got));
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    rig = new Rig;
    FUZZ_CHECK(rig->server.listen("127.0.0.1", 0));
    rig->loop = std::thread([] { rig->server.run(); });
    rig->writer = connectClient();
    rig->reader = connectClient();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (rig->server.clientCount() != 2) {
        FUZZ_CHECK(std::chrono::steady_clock::now() < deadline);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    FUZZ_CHECK(rig->server.clientCount() == 2);
    // Pieces of 1 to 64 bytes, each size taken from the byte it starts at, so
    // that the server sees the input cut and joined in many ways.
    const char* bytes = reinterpret_cast<const char*>(data);
    for (std::size_t at = 0; at < size;) {
        const std::size_t piece = std::min<std::size_t>(1 + data[at] % 64, size - at);
        FUZZ_CHECK(send(rig->writer, bytes + at, piece, MSG_NOSIGNAL) == static_cast<ssize_t>(piece));
        at += piece;
    }
    std::string echo, relayed;
    readBoth(std::string(bytes, size), echo, relayed);
    return 0;
}
