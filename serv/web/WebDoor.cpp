#include "WebDoor.h"

#include "RelayBridge.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace {
// What a text message of n bytes takes on the wire from a server: the
// payload and its frame header.
qint64 frameSize(qint64 n)
{
    return n + (n < 126 ? 2 : n < 65536 ? 4 : 10);
}

QString describe(const QHostAddress& address, quint16 port)
{
    bool mapped = false;
    const QHostAddress v4(address.toIPv4Address(&mapped));
    if (mapped)
        return v4.toString() + QLatin1Char(':') + QString::number(port);
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return QLatin1Char('[') + address.toString() + QStringLiteral("]:") + QString::number(port);
    return address.toString() + QLatin1Char(':') + QString::number(port);
}

// "Try again later": the door is full. Qt refuses 1013 as a close code, so
// the code is one of the range left to applications.
constexpr auto tryAgainLater = static_cast<QWebSocketProtocol::CloseCode>(4013);

int defaultPort(const QString& scheme)
{
    return scheme == QLatin1String("https") || scheme == QLatin1String("wss") ? 443 : 80;
}
}  // namespace

struct WebDoor::Player {
    QWebSocket* socket = nullptr;
    QString peer;
    QString room;
    qint64 queued = 0;  // sent to the socket, not yet written to the network
    RateBound messages{messagesPerSecond, messageBurst};
    RateBound bytes{bytesPerSecond, byteBurst};
    // Messages over the bound are dropped; a player who goes on past this
    // is dropped itself.
    RateBound patience{10, 100};
    bool gone = false;
    bool stamped = false;  // the page reads the door's clock in front of each message
    double lastWord = 0;   // when it was last sent anything
};

WebDoor::WebDoor(DoorOptions options, PageFiles files, Log log, QObject* parent)
    : QAbstractHttpServer(parent), options_(std::move(options)), files_(std::move(files)), log_(std::move(log))
{
    clock_.start();
    hold_.setSingleShot(true);
    hold_.setInterval(relayHoldMs);
    connect(&hold_, &QTimer::timeout, this, &WebDoor::flushRelay);
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &WebDoor::admit);
    word_.setInterval(wordMs / 2);
    connect(&word_, &QTimer::timeout, this, &WebDoor::sayWord);
    word_.start();
    leftOutTimer_.setInterval(1000);
    connect(&leftOutTimer_, &QTimer::timeout, this, [this] {
        log_("(" + std::to_string(leftOut_) + " lines on connections left out of the log)");
        leftOut_ = 0;
        leftOutTimer_.stop();
    });
}

// As the relay's: a burst of lines, then a few a second; the rest counted.
void WebDoor::logConnection(const QString& line)
{
    if (logLines_.take(1, now())) {
        log_(line.toStdString());
        return;
    }
    ++leftOut_;
    if (!leftOutTimer_.isActive())
        leftOutTimer_.start();
}

WebDoor::~WebDoor() = default;

quint16 WebDoor::open()
{
    return listen(options_.address, options_.port);
}

bool WebDoor::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const QString path = request.url().path(QUrl::FullyEncoded);
    const auto room = DoorRules::roomOfPath(path.toStdString());
    if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0) {
        // Qt asks here before it upgrades: true lets the WebSocket handshake
        // go on; false sends the request to missingHandler, which refuses.
        refusal_ = upgradeRefusal(request, room);
        if (refusal_.status == 0) {
            // What waits for a player is bounded here (maxQueued), not in a
            // kernel buffer that grows to megabytes.
            socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, sendBuffer);
            return true;
        }
        refusal_.peer = describe(socket->peerAddress(), socket->peerPort());
        return false;
    }
    QHttpServerResponder responder = makeResponder(request, socket);
    if (request.method() != QHttpServerRequest::Method::Get && request.method() != QHttpServerRequest::Method::Head) {
        responder.write(QHttpServerResponder::StatusCode::MethodNotAllowed);
        return true;
    }
    // The page at the lobby's and every room's address; files by their
    // listed paths only, so "/../" and the like find nothing.
    const QString file = room ? files_.file(QStringLiteral("/index.html")) : files_.file(path);
    auto* data = new QFile(file);
    if (file.isEmpty() || !data->open(QIODevice::ReadOnly)) {
        delete data;
        responder.write(QHttpServerResponder::StatusCode::NotFound);
        return true;
    }
    const QByteArray type = PageFiles::mimeType(file);
    responder.write(data, {{"Content-Type", type}, {"X-Content-Type-Options", "nosniff"}, {"Cache-Control", "no-cache"}});
    return true;
}

void WebDoor::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    if (refusal_.status == 0) {
        responder.write(QHttpServerResponder::StatusCode::NotFound);
        return;
    }
    logConnection("refuse " + refusal_.peer + " (" + refusal_.why + ")");
    responder.write(refusal_.why.toUtf8() + '\n', "text/plain; charset=utf-8",
                    static_cast<QHttpServerResponder::StatusCode>(refusal_.status));
    refusal_ = {};
}

WebDoor::Refusal WebDoor::upgradeRefusal(const QHttpServerRequest& request, const std::optional<std::string>& room) const
{
    if (!originAllowed(QString::fromUtf8(request.value("origin")), QString::fromUtf8(request.value("host"))))
        return {403, "origin " + QString::fromUtf8(request.value("origin")).left(200) + " not allowed", {}};
    if (!room)
        return {404, QStringLiteral("no such room"), {}};
    if (static_cast<int>(players_.size()) >= options_.maxClients)
        return {503, QStringLiteral("too many players"), {}};
    const QString name = QString::fromStdString(*room);
    const bool lobby = name == QLatin1String(DoorRules::lobby.data());
    if (!lobby && !rooms_.contains(name) && otherRooms() >= options_.maxRooms)
        return {503, QStringLiteral("too many rooms"), {}};
    return {};
}

int WebDoor::otherRooms() const
{
    return static_cast<int>(rooms_.size()) - (rooms_.contains(QStringLiteral("lobby")) ? 1 : 0);
}

bool WebDoor::originAllowed(const QString& origin, const QString& host) const
{
    // No Origin: not a browser, so no page of someone else's speaks through it.
    if (origin.isEmpty())
        return true;
    if (!options_.origins.isEmpty())
        return options_.origins.contains(origin);
    // By default only the pages the door serves itself: the origin's host and
    // port are those the browser asked the door for (Host).
    const QUrl from(origin);
    const QUrl to(QStringLiteral("http://") + host);
    return !from.host().isEmpty() && from.host().compare(to.host(), Qt::CaseInsensitive) == 0 &&
           from.port(defaultPort(from.scheme())) == to.port(defaultPort(from.scheme()));
}

void WebDoor::refuse(QWebSocket* socket, const QString& peer, QWebSocketProtocol::CloseCode code, const QString& why)
{
    logConnection("refuse " + peer + " (" + why + ")");
    socket->close(code, why);
    QTimer::singleShot(1000, socket, &QWebSocket::abort);
    connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
}

void WebDoor::admit()
{
    while (hasPendingWebSocketConnections()) {
        QWebSocket* socket = nextPendingWebSocketConnection().release();
        socket->setParent(this);
        const QString peer = describe(socket->peerAddress(), socket->peerPort());
        const auto room = DoorRules::roomOfPath(socket->requestUrl().path(QUrl::FullyEncoded).toStdString());
        // Checked before the handshake already; checked again for those that
        // were in their handshakes together.
        const QString name = room ? QString::fromStdString(*room) : QString();
        if (!room || static_cast<int>(players_.size()) >= options_.maxClients ||
            (name != QLatin1String(DoorRules::lobby.data()) && !rooms_.contains(name) && otherRooms() >= options_.maxRooms)) {
            refuse(socket, peer, tryAgainLater, QStringLiteral("too many players or rooms"));
            continue;
        }
        socket->setMaxAllowedIncomingMessageSize(DoorRules::maxMessage);
        socket->setMaxAllowedIncomingFrameSize(DoorRules::maxMessage);
        auto player = std::make_unique<Player>();
        Player* p = player.get();
        p->socket = socket;
        p->peer = peer;
        p->room = name;
        p->stamped = QUrlQuery(socket->requestUrl()).hasQueryItem(QStringLiteral("stamp"));
        players_.emplace(socket, std::move(player));
        if (name == QLatin1String(DoorRules::lobby.data()) && !rooms_.contains(name) && bridge_)
            bridge_->setEager(true);  // takes what waited, for nobody, first
        rooms_[name].push_back(p);
        connect(socket, &QWebSocket::textMessageReceived, this, [this, p](const QString& text) { received(*p, text); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, p] { drop(*p, QWebSocketProtocol::CloseCodeDatatypeNotSupported, "binary message"); });
        connect(socket, &QWebSocket::bytesWritten, this, [this, p](qint64 n) { written(*p, n); });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { left(socket); });
        logConnection("join " + peer + " (room " + name + ")");
        if (p->stamped) {
            p->lastWord = now();
            send(*p, stamp());
        }
    }
}

void WebDoor::received(Player& from, const QString& text)
{
    if (from.gone)
        return;
    const QByteArray bytes = text.toUtf8();
    const std::string_view message(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!DoorRules::isPlayerMessage(message)) {
        drop(from, QWebSocketProtocol::CloseCodePolicyViolated, "not a message of shared play");
        return;
    }
    const double t = now();
    if (!from.messages.take(1, t) || !from.bytes.take(static_cast<double>(bytes.size()), t)) {
        // Over its bound the player's messages go nowhere; past its
        // patience the player goes.
        if (!from.patience.take(1, t))
            drop(from, QWebSocketProtocol::CloseCodePolicyViolated, "sending too fast");
        return;
    }
    if (from.room == QLatin1String(DoorRules::lobby.data())) {
        if (bridge_)
            bridge_->send(std::string(message) + "\r\n");
        return;
    }
    deliver(from.room, text);
}

void WebDoor::relayed(std::string_view bytes)
{
    for (const std::string& message : cutter_.take(bytes))
        deliver(QStringLiteral("lobby"), QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
    if (!cutter_.holding())
        hold_.stop();
    else if (!hold_.isActive())
        hold_.start();
}

void WebDoor::flushRelay()
{
    if (const auto message = cutter_.flush())
        deliver(QStringLiteral("lobby"), QString::fromUtf8(message->data(), static_cast<qsizetype>(message->size())));
}

void WebDoor::deliver(const QString& room, const QString& message)
{
    const auto members = rooms_.constFind(room);
    if (members == rooms_.constEnd())
        return;
    // A copy: a player dropped on the way leaves the room's list.
    const std::vector<Player*> to = *members;
    const QString stamped = stamp() + QLatin1Char(' ') + message;
    const double t = now();
    for (Player* p : to) {
        if (p->stamped)
            p->lastWord = t;
        send(*p, p->stamped ? stamped : message);
    }
}

QString WebDoor::stamp() const
{
    return QString::number(clock_.elapsed());
}

// The door's word to the pages that heard nothing for a while: it is there.
void WebDoor::sayWord()
{
    const double t = now();
    std::vector<Player*> quiet;
    for (const auto& [socket, p] : players_)
        if (p->stamped && !p->gone && t - p->lastWord >= wordMs / 1000.0)
            quiet.push_back(p.get());
    if (quiet.empty())
        return;
    const QString word = stamp();
    for (Player* p : quiet) {
        p->lastWord = t;
        send(*p, word);
    }
}

void WebDoor::send(Player& to, const QString& message)
{
    if (to.gone)
        return;
    const qint64 size = frameSize(to.socket->sendTextMessage(message));
    to.queued += size;
    queuedAll_ += size;
    if (to.queued > maxQueued) {
        drop(to, QWebSocketProtocol::CloseCodeGoingAway, "outgoing data over the bound");
        return;
    }
    // Over the door's whole bound, the player with the most waiting goes.
    while (queuedAll_ > maxQueuedAll) {
        Player* most = nullptr;
        for (const auto& [socket, p] : players_)
            if (!p->gone && (!most || p->queued > most->queued))
                most = p.get();
        if (!most)
            break;
        drop(*most, QWebSocketProtocol::CloseCodeGoingAway, "outgoing data over the door's bound");
    }
}

void WebDoor::written(Player& player, qint64 bytes)
{
    const qint64 taken = std::min(bytes, player.queued);
    player.queued -= taken;
    queuedAll_ -= taken;
}

void WebDoor::drop(Player& player, QWebSocketProtocol::CloseCode code, const char* why)
{
    if (player.gone)
        return;
    player.gone = true;
    queuedAll_ -= player.queued;
    player.queued = 0;
    auto& members = rooms_[player.room];
    members.erase(std::remove(members.begin(), members.end(), &player), members.end());
    logConnection("drop " + player.peer + " (room " + player.room + ", " + QLatin1String(why) + ")");
    if (members.empty())
        emptied(player.room);
    // Not waiting for a close handshake from someone who may never answer.
    // close() may report the disconnection at once, so the socket is taken
    // first.
    QWebSocket* socket = player.socket;
    QTimer::singleShot(1000, socket, &QWebSocket::abort);
    socket->close(code, QLatin1String(why));
}

void WebDoor::emptied(const QString& room)
{
    rooms_.remove(room);
    if (room == QLatin1String(DoorRules::lobby.data()) && bridge_)
        bridge_->setEager(false);
}

void WebDoor::left(QWebSocket* socket)
{
    const auto it = players_.find(socket);
    if (it == players_.end())
        return;
    Player& player = *it->second;
    if (!player.gone) {
        player.gone = true;
        queuedAll_ -= player.queued;
        auto& members = rooms_[player.room];
        members.erase(std::remove(members.begin(), members.end(), &player), members.end());
        if (members.empty())
            emptied(player.room);
        // Qt itself closes on a message over the bound.
        if (socket->closeCode() == QWebSocketProtocol::CloseCodeTooMuchData)
            logConnection("drop " + player.peer + " (room " + player.room + ", message over the bound)");
        else
            logConnection("leave " + player.peer + " (room " + player.room + ")");
    }
    // Freed once the call that brought us here has returned: that may be a
    // drop from within the player's own message.
    graveyard_.push_back(std::move(it->second));
    players_.erase(it);
    QTimer::singleShot(0, this, [this] { graveyard_.clear(); });
    socket->disconnect(this);
    socket->deleteLater();
}
