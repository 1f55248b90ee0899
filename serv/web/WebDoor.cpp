#include "WebDoor.h"

#include "HttpSession.h"
#include "RelayBridge.h"

#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <deque>

namespace {
using namespace std::chrono_literals;

// What a text message of n bytes takes on the wire from a server: the
// payload and its frame header.
std::int64_t frameSize(std::size_t n)
{
    return static_cast<std::int64_t>(n) + (n < 126 ? 2 : n < 65536 ? 4 : 10);
}

int defaultPort(std::string_view scheme)
{
    return scheme == "https" || scheme == "wss" ? 443 : 80;
}

// "http://host:port" split into its parts, the port defaulting by scheme.
struct Origin {
    std::string scheme, host;
    int port = 0;
};

std::optional<Origin> originOf(std::string_view text)
{
    const auto colon = text.find("://");
    if (colon == std::string_view::npos)
        return std::nullopt;
    Origin o;
    o.scheme = std::string(text.substr(0, colon));
    std::transform(o.scheme.begin(), o.scheme.end(), o.scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    std::string_view rest = text.substr(colon + 3);
    rest = rest.substr(0, rest.find('/'));
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        o.host = std::string(rest.substr(0, close + 1));
        if (close + 1 < rest.size()) {
            if (rest[close + 1] != ':')
                return std::nullopt;
            port = rest.substr(close + 2);
        }
    } else {
        const auto at = rest.find(':');
        o.host = std::string(rest.substr(0, at));
        if (at != std::string_view::npos)
            port = rest.substr(at + 1);
    }
    std::transform(o.host.begin(), o.host.end(), o.host.begin(), [](unsigned char c) { return std::tolower(c); });
    if (o.host.empty())
        return std::nullopt;
    if (port.empty()) {
        o.port = defaultPort(o.scheme);
    } else {
        if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        o.port = std::stoi(std::string(port));
    }
    return o;
}

// "Try again later": the door is full.
constexpr auto tryAgainLater = websocket::close_code::try_again_later;

// Descriptors the door keeps for itself beside its connections.
constexpr rlim_t reservedFiles = 32;

std::size_t connectionBudget()
{
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY)
        return 1 << 20;
    return files.rlim_cur > reservedFiles ? static_cast<std::size_t>(files.rlim_cur - reservedFiles) : 1;
}
}  // namespace

struct WebDoor::Player {
    explicit Player(tcp::socket socket) : ws(std::move(socket)) {}
    websocket::stream<tcp::socket> ws;
    beast::flat_buffer in;
    std::deque<Message> out;  // the first is being written while writing
    bool writing = false;
    Peer peer;
    std::string room;
    std::int64_t queued = 0;  // handed to the socket, not yet written to the network
    TokenBucket messages{messagesPerSecond, messageBurst, TokenBucket::Clock::now()};
    TokenBucket bytes{bytesPerSecond, byteBurst, TokenBucket::Clock::now()};
    // Messages over the bound are dropped; a player who goes on past this
    // is dropped itself.
    TokenBucket patience{10, 100, TokenBucket::Clock::now()};
    bool joined = false;  // its handshake is done
    bool gone = false;    // left its room; its socket closes
    bool closing = false;  // a close frame is on its way
    bool stamped = false;  // the page reads the door's clock in front of each message
    std::chrono::steady_clock::time_point lastWord{};  // when it was last sent anything
    std::optional<AddressSlots::Slot> connection;
    std::optional<AddressSlots::Slot> place;  // among its address's players
    std::unique_ptr<asio::steady_timer> closeTimer;
};

WebDoor::WebDoor(asio::io_context& io, DoorOptions options, PageFiles files, Log log)
    : io_(io), options_(std::move(options)), files_(std::move(files)), log_(std::move(log)),
      listener_(
          io, std::max(64, 2 * options_.maxPerAddress), options_.trustedProxies,
          [this, budget = connectionBudget()] { return sessions_.size() + players_.size() < budget; },
          [this](tcp::socket socket, const tcp::endpoint& from, std::optional<AddressSlots::Slot> slot) {
              connected(std::move(socket), from, std::move(slot));
          },
          [this](const std::string& line) { logConnection(line); }),
      playersByAddress_(options_.maxPerAddress), hold_(io), leftOutTimer_(io), closeTimer_(io),
      wordTimer_(io)
{
}

WebDoor::~WebDoor()
{
    listener_.close();
    for (HttpSession* session : sessions_) {
        session->forgetDoor();
        session->close();
    }
    sessions_.clear();
    for (auto& [raw, player] : players_) {
        beast::error_code ignored;
        beast::get_lowest_layer(player->ws).close(ignored);
    }
}

std::uint16_t WebDoor::open()
{
    if (!listener_.open(options_.address, options_.port))
        return 0;
    sayWord();
    return listener_.port();
}

std::string WebDoor::stamp() const
{
    return std::to_string(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_).count());
}

// The door's word to the pages that heard nothing for a while: it is there.
void WebDoor::sayWord()
{
    const auto t = std::chrono::steady_clock::now();
    Message word;
    for (const auto& [raw, p] : players_) {
        if (!p->stamped || !p->joined || p->gone || t - p->lastWord < wordEvery)
            continue;
        if (!word)
            word = std::make_shared<const std::string>(stamp());
        p->lastWord = t;
        send(*p, word);
    }
    wordTimer_.expires_after(wordEvery / 2);
    wordTimer_.async_wait([this](beast::error_code error) {
        if (!error && !shuttingDown_)
            sayWord();
    });
}

// As the relay's: a burst of lines, then a few a second; the rest counted.
void WebDoor::logConnection(const std::string& line)
{
    const bool leaving = logLines_.leavingOut();
    if (logLines_.admit(std::chrono::steady_clock::now())) {
        log_(line);
        return;
    }
    if (leaving)
        return;
    leftOutTimer_.expires_after(1s);
    leftOutTimer_.async_wait([this](beast::error_code error) {
        if (error)
            return;
        if (auto told = logLines_.leftOutLine(std::chrono::steady_clock::now()))
            log_(*told);
    });
}

void WebDoor::connected(tcp::socket socket, const tcp::endpoint& from, std::optional<AddressSlots::Slot> slot)
{
    if (shuttingDown_)
        return;
    auto session = std::make_shared<HttpSession>(*this, std::move(socket), from, std::move(slot));
    sessions_.insert(session.get());
    session->start();
}

Peer WebDoor::peerOf(const tcp::endpoint& from, const Request& request) const
{
    Peer peer{DoorListener::addressOf(from), DoorListener::describe(from)};
    const auto& trusted = options_.trustedProxies;
    if (std::find(trusted.begin(), trusted.end(), peer.address) == trusted.end())
        return peer;
    // A proxy of ours: the player is the address it names.
    const auto field = request.find("X-Forwarded-For");
    if (field == request.end())
        return peer;
    if (const auto client = DoorRules::forwardedClient(field->value(), trusted)) {
        peer.shown = *client + " via " + peer.shown;
        peer.address = *client;
    }
    return peer;
}

WebDoor::Refusal WebDoor::upgradeRefusal(const Request& request, const Peer& peer) const
{
    const std::string_view origin = request[http::field::origin];
    if (!originAllowed(origin, request[http::field::host]))
        return {403, "origin " + std::string(origin.substr(0, 200)) + " not allowed"};
    const std::string_view target = request.target();
    const auto room = DoorRules::roomOfPath(target.substr(0, target.find('?')));
    if (!room)
        return {404, "no such room"};
    if (static_cast<int>(players_.size()) >= options_.maxClients)
        return {503, "too many players"};
    if (!hasRoomFor(*room))
        return {503, "too many rooms"};
    if (playersByAddress_.held(peer.address) >= options_.maxPerAddress)
        return {429, "too many players from one address"};
    return {};
}

bool WebDoor::hasRoomFor(const std::string& room) const
{
    return room == DoorRules::lobby || rooms_.count(room) != 0 || otherRooms() < options_.maxRooms;
}

int WebDoor::otherRooms() const
{
    return static_cast<int>(rooms_.size()) - (rooms_.count(std::string(DoorRules::lobby)) ? 1 : 0);
}

bool WebDoor::originAllowed(std::string_view origin, std::string_view host) const
{
    // No Origin: not a browser, so no page of someone else's speaks through it.
    if (origin.empty())
        return true;
    if (!options_.origins.empty())
        return std::find(options_.origins.begin(), options_.origins.end(), origin) != options_.origins.end();
    // By default only the pages the door serves itself: the origin's host and
    // port are those the browser asked the door for (Host).
    const auto from = originOf(origin);
    if (!from)
        return false;
    const auto to = originOf(from->scheme + "://" + std::string(host));
    return to && from->host == to->host && from->port == to->port;
}

void WebDoor::admit(tcp::socket socket, Request request, Peer peer, std::optional<AddressSlots::Slot> connection)
{
    const std::string_view target = request.target();
    const auto room = DoorRules::roomOfPath(target.substr(0, target.find('?')));
    auto place = playersByAddress_.take(peer.address);
    if (shuttingDown_ || !room || !place)
        return;  // refused before; the socket closes with it
    // What waits for a player is bounded here (maxQueued), not in a kernel
    // buffer that grows to megabytes.
    const int buffer = sendBuffer;
    setsockopt(socket.native_handle(), SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    auto player = std::make_shared<Player>(std::move(socket));
    player->peer = std::move(peer);
    player->room = *room;
    const std::string_view query = target.substr(std::min(target.size(), target.find('?') + 1));
    player->stamped = target.find('?') != std::string_view::npos && DoorRules::hasQueryItem(query, "stamp");
    player->connection = std::move(connection);
    player->place = std::move(place);
    websocket::stream<tcp::socket>& ws = player->ws;
    ws.set_option(websocket::stream_base::timeout{handshakeTimeout, idleTimeout, true});
    ws.set_option(websocket::stream_base::decorator(
        [](websocket::response_type& response) { response.set(http::field::server, "serv-web"); }));
    ws.read_message_max(DoorRules::maxMessage);
    ws.auto_fragment(false);
    // A room is held from here, so that the bounds count handshakes too.
    if (player->room == DoorRules::lobby && !rooms_.count(player->room) && bridge_)
        bridge_->setEager(true);  // takes what waited, for nobody, first
    rooms_[player->room].push_back(player.get());
    players_.emplace(player.get(), player);
    ws.async_accept(request, [this, player](beast::error_code error) { handshaken(player, error); });
}

void WebDoor::handshaken(const PlayerPtr& player, beast::error_code error)
{
    if (player->gone)
        return retire(player);
    if (error) {
        part(*player);
        return retire(player);
    }
    player->joined = true;
    player->ws.text(true);
    logConnection("join " + player->peer.shown + " (room " + player->room + ")");
    if (player->stamped) {
        player->lastWord = std::chrono::steady_clock::now();
        send(*player, std::make_shared<const std::string>(stamp()));
    }
    readNext(player);
}

void WebDoor::readNext(const PlayerPtr& player)
{
    player->ws.async_read(player->in, [this, player](beast::error_code error, std::size_t) {
        if (error) {
            leave(*player, error);
            return retire(player);
        }
        if (!player->ws.got_text()) {
            drop(*player, websocket::close_code::unknown_data, "binary message");
        } else {
            const auto data = player->in.cdata();
            received(*player, std::string_view(static_cast<const char*>(data.data()), data.size()));
        }
        player->in.consume(player->in.size());
        // A dropped player is still read, so that its close completes.
        readNext(player);
    });
}

void WebDoor::received(Player& from, std::string_view message)
{
    if (from.gone)
        return;
    if (!DoorRules::isPlayerMessage(message)) {
        drop(from, websocket::close_code::policy_error, "not a message of shared play");
        return;
    }
    const auto t = std::chrono::steady_clock::now();
    if (!from.messages.take(1, t) || !from.bytes.take(static_cast<double>(message.size()), t)) {
        // Over its bound the player's messages go nowhere; past its
        // patience the player goes.
        if (!from.patience.take(1, t))
            drop(from, websocket::close_code::policy_error, "sending too fast");
        return;
    }
    if (from.room == DoorRules::lobby) {
        if (bridge_) {
            std::string line;
            line.reserve(message.size() + 2);
            line.append(message).append("\r\n");
            bridge_->send(line);
        }
        return;
    }
    deliver(from.room, std::make_shared<const std::string>(message));
}

void WebDoor::relayed(std::string_view bytes)
{
    for (std::string& message : cutter_.take(bytes))
        deliver(std::string(DoorRules::lobby), std::make_shared<const std::string>(std::move(message)));
    if (!cutter_.holding()) {
        if (holding_)
            hold_.cancel();
        holding_ = false;
        return;
    }
    if (holding_)
        return;
    holding_ = true;
    hold_.expires_after(relayHold);
    hold_.async_wait([this](beast::error_code error) {
        if (error)
            return;
        holding_ = false;
        flushRelay();
    });
}

void WebDoor::flushRelay()
{
    if (auto message = cutter_.flush())
        deliver(std::string(DoorRules::lobby), std::make_shared<const std::string>(std::move(*message)));
}

void WebDoor::deliver(const std::string& room, const Message& message)
{
    const auto members = rooms_.find(room);
    if (members == rooms_.end())
        return;
    // A copy: a player dropped on the way leaves the room's list.
    const std::vector<Player*> to = members->second;
    Message stamped;
    const auto t = std::chrono::steady_clock::now();
    for (Player* p : to) {
        if (!p->stamped) {
            send(*p, message);
            continue;
        }
        if (!stamped)
            stamped = std::make_shared<const std::string>(stamp() + " " + *message);
        p->lastWord = t;
        send(*p, stamped);
    }
}

void WebDoor::send(Player& to, const Message& message)
{
    if (to.gone || !to.joined)
        return;
    const std::int64_t size = frameSize(message->size());
    to.queued += size;
    queuedAll_ += size;
    if (to.queued > maxQueued) {
        drop(to, websocket::close_code::going_away, "outgoing data over the bound");
        return;
    }
    to.out.push_back(message);
    if (!to.writing)
        writeNext(players_.at(&to));
    // Over the door's whole bound, the player with the most waiting goes.
    while (queuedAll_ > maxQueuedAll) {
        Player* most = nullptr;
        for (const auto& [raw, p] : players_)
            if (!p->gone && (!most || p->queued > most->queued))
                most = p.get();
        if (!most)
            break;
        drop(*most, websocket::close_code::going_away, "outgoing data over the door's bound");
    }
}

void WebDoor::writeNext(const PlayerPtr& player)
{
    player->writing = true;
    Message message = player->out.front();
    const auto bytes = asio::buffer(*message);
    player->ws.async_write(bytes, [this, player, message = std::move(message)](beast::error_code error, std::size_t) {
        player->writing = false;
        if (player->gone)
            return;  // its queue was let go with it
        const std::int64_t size = frameSize(message->size());
        player->queued -= size;
        queuedAll_ -= size;
        player->out.pop_front();
        if (error)
            return;  // the read that is waiting hears of it too, and ends the player
        if (!player->out.empty())
            writeNext(player);
    });
}

// Leaves its room and lets go of what waited for it.
void WebDoor::part(Player& player)
{
    if (player.gone)
        return;
    player.gone = true;
    queuedAll_ -= player.queued;
    player.queued = 0;
    player.out.clear();
    auto members = rooms_.find(player.room);
    if (members == rooms_.end())
        return;
    auto& list = members->second;
    list.erase(std::remove(list.begin(), list.end(), &player), list.end());
    if (list.empty()) {
        rooms_.erase(members);
        if (player.room == DoorRules::lobby && bridge_)
            bridge_->setEager(false);
    }
}

void WebDoor::drop(Player& player, websocket::close_code code, const char* why)
{
    if (player.gone)
        return;
    part(player);
    logConnection("drop " + player.peer.shown + " (room " + player.room + ", " + why + ")");
    closeSocket(player, websocket::close_reason(code, why));
}

// Not waiting for a close handshake from someone who may never answer.
void WebDoor::closeSocket(Player& player, websocket::close_reason reason)
{
    if (player.closing)
        return;
    player.closing = true;
    player.closeTimer = std::make_unique<asio::steady_timer>(io_, 1s);
    player.closeTimer->async_wait([p = &player, this](beast::error_code error) {
        if (error || !players_.count(p))
            return;
        beast::error_code ignored;
        beast::get_lowest_layer(p->ws).close(ignored);
    });
    const PlayerPtr self = players_.at(&player);
    player.ws.async_close(reason, [self](beast::error_code) {});
}

void WebDoor::leave(Player& player, beast::error_code error)
{
    if (player.gone)
        return;
    part(player);
    std::string why;
    if (error == websocket::error::message_too_big)
        why = "message over the bound";
    else if (error == beast::error::timeout)
        why = "no answer to pings";
    else if (error == websocket::error::bad_frame_payload)
        why = "not a message of shared play";
    if (why.empty())
        logConnection("leave " + player.peer.shown + " (room " + player.room + ")");
    else
        logConnection("drop " + player.peer.shown + " (room " + player.room + ", " + why + ")");
}

void WebDoor::retire(const PlayerPtr& player)
{
    part(*player);
    if (player->closeTimer)
        player->closeTimer->cancel();
    beast::error_code ignored;
    beast::get_lowest_layer(player->ws).close(ignored);
    players_.erase(player.get());
    checkClosed();
}

void WebDoor::close(std::function<void()> done)
{
    if (shuttingDown_)
        return;
    shuttingDown_ = true;
    wordTimer_.cancel();
    whenClosed_ = std::move(done);
    listener_.close();
    for (HttpSession* session : std::vector<HttpSession*>(sessions_.begin(), sessions_.end()))
        session->close();
    for (auto& [raw, player] : players_) {
        part(*player);
        if (player->joined)
            closeSocket(*player, websocket::close_reason(websocket::close_code::going_away, "the server is going away"));
        else {
            beast::error_code ignored;
            beast::get_lowest_layer(player->ws).close(ignored);
        }
    }
    closeTimer_.expires_after(1500ms);
    closeTimer_.async_wait([this](beast::error_code error) {
        if (!error && whenClosed_)
            std::exchange(whenClosed_, nullptr)();
    });
    checkClosed();
}

void WebDoor::checkClosed()
{
    if (whenClosed_ && players_.empty()) {
        closeTimer_.cancel();
        asio::post(io_, [this] {
            if (whenClosed_)
                std::exchange(whenClosed_, nullptr)();
        });
    }
}
