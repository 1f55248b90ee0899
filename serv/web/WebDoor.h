#pragma once

#include "AddressSlots.h"
#include "Asio.h"
#include "DoorListener.h"
#include "DoorRules.h"
#include "LineLimiter.h"
#include "PageFiles.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class HttpSession;
class RelayBridge;

struct DoorOptions {
    std::string address;  // empty: every interface
    std::uint16_t port = 0;
    std::vector<std::string> origins;  // empty: pages of the door's own address only
    int maxClients = 256;
    int maxRooms = 64;
    int maxPerAddress = 16;  // players from one address
    // Proxies whose X-Forwarded-For names the player (canonical addresses).
    std::vector<std::string> trustedProxies;
};

// Who a connection is: the address that counts against the bounds (the
// player's own, behind a trusted proxy) and how the log names it.
struct Peer {
    std::string address;
    std::string shown;
};

// The web door: the page over HTTP, and its players over WebSocket on the
// same port. A player of the lobby reaches the relay through the bridge, and
// hears it from there (the relay echoes to its sender, so the lobby's own
// messages come back the same way). Other rooms exist only here. Every
// player is bounded as a TCP player is: how fast it may send, how much may
// wait for it (everything queued counts), how many there are, from one
// address and in all; and the door as a whole bounds the memory that waits
// for all of them.
class WebDoor {
public:
    using Log = std::function<void(std::string_view line)>;
    // Bounds a player lives under.
    static constexpr double messagesPerSecond = 50, messageBurst = 200;
    static constexpr double bytesPerSecond = 16 * 1024, byteBurst = 64 * 1024;
    static constexpr std::int64_t maxQueued = 256 * 1024;   // waiting for one player
    static constexpr std::int64_t maxQueuedAll = 32 << 20;  // waiting for all of them
    static constexpr int sendBuffer = 64 * 1024;  // the kernel's, per player
    static constexpr std::chrono::milliseconds relayHold{20};  // a message from a peer without CR LF
    // A player that sends nothing is pinged after half of this, and
    // dropped when the whole of it passes without a word or a pong.
    static constexpr std::chrono::seconds idleTimeout{60};
    static constexpr std::chrono::seconds handshakeTimeout{10};
    // A page that asks for it (?stamp) gets each message as "<ms> <message>",
    // the door's clock in front, and "<ms>" alone whenever it has heard
    // nothing for a second: it tells a note held up on the way, and a
    // connection that went quiet. TCP players get the messages as they are.
    static constexpr std::chrono::milliseconds wordEvery{1000};

    WebDoor(asio::io_context& io, DoorOptions options, PageFiles files, Log log);
    ~WebDoor();
    WebDoor(const WebDoor&) = delete;
    WebDoor& operator=(const WebDoor&) = delete;

    // Listens; the port, or 0 when it cannot (errorString()).
    std::uint16_t open();
    const std::string& errorString() const { return listener_.error(); }
    // As the log shows the listening address: "[::]" for every interface.
    std::string shownAddress() const { return listener_.shownAddress(); }
    void setBridge(RelayBridge* bridge) { bridge_ = bridge; }
    // What the relay sent on the bridge.
    void relayed(std::string_view bytes);
    // Takes no one new, sends every player a close frame and calls `done`
    // once all are gone, or after a moment.
    void close(std::function<void()> done);

    // For the HTTP connections.
    const PageFiles& files() const { return files_; }
    Peer peerOf(const tcp::endpoint& from, const Request& request) const;
    struct Refusal {
        int status = 0;  // HTTP status; 0 lets the upgrade go on
        std::string why;
    };
    Refusal upgradeRefusal(const Request& request, const Peer& peer) const;
    // Takes the connection over as a player; upgradeRefusal() said yes.
    void admit(tcp::socket socket, Request request, Peer peer, std::optional<AddressSlots::Slot> connection);
    void logConnection(const std::string& line);
    void ended(HttpSession* session) { sessions_.erase(session); }

private:
    struct Player;
    using PlayerPtr = std::shared_ptr<Player>;
    using Message = std::shared_ptr<const std::string>;

    void connected(tcp::socket socket, const tcp::endpoint& from, std::optional<AddressSlots::Slot> slot);
    bool hasRoomFor(const std::string& room) const;
    bool originAllowed(std::string_view origin, std::string_view host) const;
    int otherRooms() const;
    void handshaken(const PlayerPtr& player, beast::error_code error);
    void readNext(const PlayerPtr& player);
    void received(Player& from, std::string_view message);
    void deliver(const std::string& room, const Message& message);
    void send(Player& to, const Message& message);
    void writeNext(const PlayerPtr& player);
    void drop(Player& player, websocket::close_code code, const char* why);
    void leave(Player& player, beast::error_code error);
    void part(Player& player);
    void closeSocket(Player& player, websocket::close_reason reason);
    void retire(const PlayerPtr& player);
    void flushRelay();
    void checkClosed();
    std::string stamp() const;
    void sayWord();

    asio::io_context& io_;
    DoorOptions options_;
    PageFiles files_;
    Log log_;
    DoorListener listener_;
    RelayBridge* bridge_ = nullptr;
    AddressSlots playersByAddress_;
    std::unordered_map<Player*, PlayerPtr> players_;
    std::unordered_set<HttpSession*> sessions_;
    std::unordered_map<std::string, std::vector<Player*>> rooms_;
    RelayCutter cutter_;
    asio::steady_timer hold_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::int64_t queuedAll_ = 0;
    LineLimiter logLines_{20, 100, LineLimiter::Clock::now()};
    asio::steady_timer leftOutTimer_;
    bool holding_ = false;  // hold_ runs
    bool shuttingDown_ = false;
    std::function<void()> whenClosed_;
    asio::steady_timer closeTimer_;
    asio::steady_timer wordTimer_;
};
