// The web door's handling of messages: what the relay sends on the bridge,
// cut into the messages that go to the pages; what a page sends, let on to
// the relay or not; the rooms that addresses name; the send bound. The input
// is cut into pieces at NUL bytes, each piece one arrival, one message from
// a page, one address and one forwarded-for list; the first byte also sets
// the clock's steps.
#include "FuzzCheck.h"

#include "DoorRules.h"
#include "TokenBucket.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const double step = size == 0 ? 0 : static_cast<unsigned char>(all[0]) / 256.0;

    RelayCutter cutter;
    const TokenBucket::Clock::time_point t0{};
    TokenBucket bound(50, 200, t0);
    std::size_t in = 0, out = 0;
    double now = 0, granted = 0;
    std::size_t start = 0;
    while (start <= all.size()) {
        const auto nul = all.find('\0', start);
        const std::string_view piece = all.substr(start, nul == std::string_view::npos ? all.npos : nul - start);
        in += piece.size();

        // From the relay: whole messages without CR LF, none longer than a
        // page may send, no byte made up.
        for (const std::string& message : cutter.take(piece)) {
            FUZZ_CHECK(!message.empty());
            FUZZ_CHECK(message.size() <= DoorRules::maxMessage);
            FUZZ_CHECK(message.find("\r\n") == std::string::npos);
            out += message.size();
        }
        if (piece.size() % 3 == 0) {  // now and then nothing more comes for a while
            if (const auto rest = cutter.flush()) {
                FUZZ_CHECK(!rest->empty() && rest->size() <= DoorRules::maxMessage);
                out += rest->size();
            }
            FUZZ_CHECK(!cutter.holding());
        }
        FUZZ_CHECK(out <= in);

        // From a page: what goes on is one message of shared play, and the
        // relay's windows and the door read it back as exactly that one.
        if (DoorRules::isPlayerMessage(piece)) {
            FUZZ_CHECK(piece.size() <= DoorRules::maxMessage);
            FUZZ_CHECK(piece.find_first_of("\r\n") == std::string_view::npos);
            RelayCutter echo;
            const auto back = echo.take(std::string(piece) + "\r\n");
            FUZZ_CHECK(back.size() == 1 && back[0] == piece);
            FUZZ_CHECK(!echo.holding());
        }

        // An address: a room name is plain, with nothing that walks folders.
        if (const auto room = DoorRules::roomOfPath(piece)) {
            FUZZ_CHECK(DoorRules::isRoomName(*room));
            FUZZ_CHECK(room->find_first_of("/.%\\") == std::string::npos);
        }

        // A forwarded-for list: what comes out is an address as the door
        // compares them, never a piece of the header around it.
        if (const auto client = DoorRules::forwardedClient(piece, {"127.0.0.1", "::1"})) {
            FUZZ_CHECK(DoorRules::canonicalAddress(*client) == client);
            FUZZ_CHECK(client->find_first_of(" ,[]") == std::string::npos);
        }

        // The send bound: never more than the burst at once, nor more than
        // the rate over time.
        now += step;
        const double cost = static_cast<double>(piece.size() % 300);
        if (bound.take(cost, t0 + std::chrono::duration_cast<TokenBucket::Clock::duration>(std::chrono::duration<double>(now))))
            granted += cost;
        FUZZ_CHECK(granted <= 200 + 50 * now + 1e-6);

        if (nul == std::string_view::npos)
            break;
        start = nul + 1;
    }
    return 0;
}
