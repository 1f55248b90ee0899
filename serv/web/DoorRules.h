#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The web door's rules on what passes it, with no I/O: which addresses name
// which room, which browser messages go on, how what the relay sends is cut
// into messages, and how fast one player may send.
namespace DoorRules {

inline constexpr std::string_view lobby = "lobby";
// Longer than any chat line a window sends, short enough that a player
// cannot make others hold much.
inline constexpr std::size_t maxMessage = 1024;
inline constexpr std::size_t maxRoomName = 32;

// Letters, digits, '-' and '_', 1 to maxRoomName of them.
bool isRoomName(std::string_view name);
// The room an address joins: "/" the lobby, "/r/<name>" that room, its
// name in lower case; nothing for any other path.
std::optional<std::string> roomOfPath(std::string_view path);
// A message from a browser goes on when it is one of shared play's: a key
// index ("12", "-1") or a chat line or join notice (starting with ':'), at
// most maxMessage bytes, with no line break, so that it stays one message
// for the windows, which cut at CR LF.
bool isPlayerMessage(std::string_view message);

// An IPv4 or IPv6 address in the form the door compares and logs ("::ffff:"
// IPv4 addresses as IPv4); nothing when the text is no address.
std::optional<std::string> canonicalAddress(std::string_view text);
// The client behind proxies: X-Forwarded-For lists the addresses a request
// passed, the nearest last. Walking from the end past the trusted proxies
// (canonical addresses), the first address is the client's; when all are
// trusted, the client is the farthest of them (a browser on a proxy's own
// machine). Nothing when the list is empty or names something that is no
// address.
// True when a query ("a=1&stamp") holds the item, with a value or without.
bool hasQueryItem(std::string_view query, std::string_view item);
// True when a query ("a=1&stamp") holds the item, with a value or without.
bool hasQueryItem(std::string_view query, std::string_view item);
std::optional<std::string> forwardedClient(std::string_view forwardedFor, const std::vector<std::string>& trusted);

}  // namespace DoorRules

// Cuts what the relay sends into messages, as a window reads them: at CR LF;
// text after the last CR LF is a message of its own once nothing more has
// come for a moment (a peer that ends nothing with CR LF sends one message
// per write), or once it passes DoorRules::maxMessage.
class RelayCutter {
public:
    // The messages complete with this arrival, in order, without CR LF.
    std::vector<std::string> take(std::string_view arrival);
    // True while text waits for its CR LF; flush() it after a short wait.
    bool holding() const { return !partial_.empty(); }
    std::optional<std::string> flush();

private:
    std::string partial_;
};
