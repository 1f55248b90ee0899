#pragma once

#include "logic/net/WireReader.h"

#include <QObject>
#include <QTimer>

#include <string>

class Files;
class Form1;
class PlaySocket;
struct AppPaths;
struct Form1Controls;

// Shared play on the main window: connecting to a play server, sending key
// presses, sounding the notes that come back, the chat line and the chat
// box, and starting the play server.
class NetworkPlay : public QObject {
    Q_OBJECT
public:
    NetworkPlay(Form1& form, const Form1Controls& ui, PlaySocket& socket, Files& files, const AppPaths& paths);
    ~NetworkPlay() override;

    bool isConnected() const;
    void sendKeyIndex(int index);

    // Command1: asks for the server's address and starts connecting.
    void connectToServer();
    void goOnlineOrOffline();
    void startServer();
    void toggleChat();

    // The chat box's text, newest first, each message ended by CR LF.
    const std::string& chatText() const { return chat_; }

    // The chat box keeps at most this much of the newest text.
    static constexpr std::size_t maxChatBytes = 64 * 1024;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connected();
    void arrived(const std::string& data);
    void handle(const std::string& message);
    void failed();
    void showChat(bool shown);
    void sendChatLine();
    void refreshChatBox();

    Form1& form_;
    const Form1Controls& ui_;
    PlaySocket& socket_;
    Files& files_;
    const AppPaths& paths_;
    std::string host_;
    WireReader reader_;
    QTimer tailTimer_;
    std::string chat_;
    bool chatBoxStale_ = false;
};
