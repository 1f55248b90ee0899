#pragma once

#include "DoorRules.h"
#include "PageFiles.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QStringList>
#include <QTimer>
#include <QWebSocket>

#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

class RelayBridge;

struct DoorOptions {
    QHostAddress address = QHostAddress::Any;
    quint16 port = 0;
    QStringList origins;  // empty: pages of the door's own address only
    int maxClients = 256;
    int maxRooms = 64;
};

// The web door: the page over HTTP, and its players over WebSocket on the
// same port. A player of the lobby reaches the relay through the bridge, and
// hears it from there (the relay echoes to its sender, so the lobby's own
// messages come back the same way). Other rooms exist only here. Every
// player is bounded as a TCP player is: how fast it may send, how much may
// wait for it, how many there are; and the door as a whole bounds the memory
// that waits for all of them.
class WebDoor : public QAbstractHttpServer {
public:
    using Log = std::function<void(std::string_view line)>;
    // Bounds a player lives under.
    static constexpr double messagesPerSecond = 50, messageBurst = 200;
    static constexpr double bytesPerSecond = 16 * 1024, byteBurst = 64 * 1024;
    static constexpr qint64 maxQueued = 256 * 1024;      // waiting for one player
    static constexpr qint64 maxQueuedAll = 32 << 20;     // waiting for all of them
    static constexpr int sendBuffer = 64 * 1024;  // the kernel's, per player
    static constexpr int relayHoldMs = 20;  // a message from a peer without CR LF
    // A page that asks for it (?stamp) gets each message as "<ms> <message>",
    // the door's clock in front, and "<ms>" alone whenever it has heard
    // nothing for a second: it tells a note held up on the way, and a
    // connection that went quiet. TCP players get the messages as they are.
    static constexpr int wordMs = 1000;

    WebDoor(DoorOptions options, PageFiles files, Log log, QObject* parent = nullptr);
    ~WebDoor() override;

    // Listens; the port, or 0 when it cannot (errorString()).
    quint16 open();
    void setBridge(RelayBridge* bridge) { bridge_ = bridge; }
    // What the relay sent on the bridge.
    void relayed(std::string_view bytes);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Player;

    void admit();
    struct Refusal {
        int status = 0;  // HTTP status; 0 lets the upgrade go on
        QString why;
        QString peer;
    };
    Refusal upgradeRefusal(const QHttpServerRequest& request, const std::optional<std::string>& room) const;
    bool originAllowed(const QString& origin, const QString& host) const;
    int otherRooms() const;
    void refuse(QWebSocket* socket, const QString& peer, QWebSocketProtocol::CloseCode code, const QString& why);
    void received(Player& from, const QString& text);
    void deliver(const QString& room, const QString& message);
    void send(Player& to, const QString& message);
    void written(Player& player, qint64 bytes);
    void drop(Player& player, QWebSocketProtocol::CloseCode code, const char* why);
    void left(QWebSocket* socket);
    void emptied(const QString& room);
    void logConnection(const QString& line);
    void flushRelay();
    QString stamp() const;
    void sayWord();
    double now() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }

    DoorOptions options_;
    PageFiles files_;
    Log log_;
    RelayBridge* bridge_ = nullptr;
    std::map<QWebSocket*, std::unique_ptr<Player>> players_;
    std::vector<std::unique_ptr<Player>> graveyard_;
    QHash<QString, std::vector<Player*>> rooms_;
    RelayCutter cutter_;
    QTimer hold_;
    QTimer word_;
    QElapsedTimer clock_;
    qint64 queuedAll_ = 0;
    Refusal refusal_;  // from handleRequest to missingHandler
    RateBound logLines_{20, 100};
    long leftOut_ = 0;
    QTimer leftOutTimer_;
};
