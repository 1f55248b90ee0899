#include "ui/net/NetworkPlay.h"

#include "logic/base/AppPaths.h"
#include "logic/base/Files.h"
#include "ui/window/Form1.h"
#include "logic/base/Maker.h"
#include "logic/net/PlaySocket.h"
#include "logic/net/ServerAddress.h"
#include "logic/net/WireFormat.h"
#include "ui/recording/RecorderControls.h"

#include <QAction>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

NetworkPlay::NetworkPlay(Form1& form, const Form1Controls& ui, PlaySocket& socket, Files& files,
                         const AppPaths& paths)
    : QObject(&form), form_(form), ui_(ui), socket_(socket), files_(files), paths_(paths)
{
    socket_.onConnected = [this] { connected(); };
    socket_.onData = [this](const std::string& data) { arrived(data); };
    socket_.onError = [this] { failed(); };

    connect(ui_.Command1, &QPushButton::clicked, this, &NetworkPlay::connectToServer);
    connect(ui_.mnufileConnect, &QAction::triggered, this, &NetworkPlay::goOnlineOrOffline);
    connect(ui_.mnuserv, &QAction::triggered, this, &NetworkPlay::startServer);
    ui_.Label1->installEventFilter(this);
    ui_.txtSend->installEventFilter(this);

    tailTimer_.setSingleShot(true);
    tailTimer_.setInterval(WireReader::holdMs);
    connect(&tailTimer_, &QTimer::timeout, this, [this] {
        for (const std::string& message : reader_.flush())
            handle(message);
    });
}

NetworkPlay::~NetworkPlay()
{
    socket_.onConnected = nullptr;
    socket_.onData = nullptr;
    socket_.onError = nullptr;
}

bool NetworkPlay::isConnected() const
{
    return socket_.state() == PlaySocket::connected;
}

void NetworkPlay::sendKeyIndex(int index)
{
    socket_.send(WireFormat::keyPress(index));
    form_.caption().say(QStringLiteral("Velorin Piano -") + QString::fromStdString(host_));
}

void NetworkPlay::connectToServer()
{
    bool ok = false;
    const QString host = QInputDialog::getText(&form_, QStringLiteral("velorin"),
                                               QStringLiteral("Please enter the Server's IP address"),
                                               QLineEdit::Normal, QString(), &ok);
    host_ = ok ? host.toStdString() : std::string();
    reader_.reset();
    tailTimer_.stop();
    // "host", "host:port" or "[v6]:port". Text that names no server fails
    // from the event loop, as a server that cannot be reached does.
    const auto address = ServerAddress::parse(host_);
    socket_.connectTo(address ? address->host : std::string(), address ? address->port : WireFormat::port);
    ui_.Command1->setEnabled(false);
}

void NetworkPlay::goOnlineOrOffline()
{
    if (ui_.Command1->isEnabled()) {
        if (socket_.state() != PlaySocket::closed) {
            socket_.close();
            return;
        }
        connectToServer();
        return;
    }
    if (!isConnected())
        return;
    socket_.close();
    form_.recorder().colourSoon();
    ui_.Command1->setEnabled(true);
    showChat(false);
    ui_.instru->setText(QStringLiteral("Now Working Offline"));
}

void NetworkPlay::connected()
{
    form_.recorder().colourSoon();  // the replay label shows shared play
    ui_.instru->setText(QStringLiteral("Connected to Server"));
    socket_.send(WireFormat::joinNotice(host_));
}

void NetworkPlay::arrived(const std::string& data)
{
    showChat(true);
    for (const std::string& message : reader_.take(data))
        handle(message);
    // An unfinished line waits briefly for its end, then counts as a message.
    if (reader_.waiting())
        tailTimer_.start();
    else
        tailTimer_.stop();
    ui_.instru->setText(QStringLiteral("Shared Music Play"));
}

void NetworkPlay::handle(const std::string& message)
{
    if (WireFormat::isChat(message)) {
        chat_ = WireFormat::prependChat(WireFormat::chatText(message), chat_, maxChatBytes);
        // A flood of messages redraws the box once per pass of the event loop.
        if (!chatBoxStale_) {
            chatBoxStale_ = true;
            QTimer::singleShot(0, this, &NetworkPlay::refreshChatBox);
        }
    } else if (const auto index = WireFormat::noteIndex(message)) {
        form_.input().serverNote(*index);
    }
}

void NetworkPlay::refreshChatBox()
{
    chatBoxStale_ = false;
    ui_.txtRx->setPlainText(QString::fromUtf8(chat_.data(), static_cast<qsizetype>(chat_.size())));
}

void NetworkPlay::failed()
{
    // Also when the server closed the connection: back to offline, so that
    // "&Connect" works again.
    socket_.close();
    form_.recorder().colourSoon();
    ui_.Command1->setEnabled(true);
    ui_.instru->setText(QStringLiteral("Connection failed."));
}

void NetworkPlay::showChat(bool shown)
{
    ui_.txtRx->setVisible(shown);
    ui_.txtSend->setVisible(shown);
    ui_.Label1->setVisible(shown);
}

void NetworkPlay::toggleChat()
{
    if (!ui_.txtSend->isEnabled()) {
        ui_.txtSend->setEnabled(true);
        ui_.txtSend->setFocus();
        ui_.Label1->setText(QStringLiteral("Disable:"));
    } else {
        ui_.txtSend->setEnabled(false);
        ui_.Label1->setText(QStringLiteral("Send:"));
    }
}

void NetworkPlay::sendChatLine()
{
    if (isConnected()) {
        socket_.send(WireFormat::chatLine(socket_.localHostName(), ui_.txtSend->text().toStdString()));
        ui_.txtSend->clear();
    } else {
        showChat(false);
        ui_.instru->setText(QStringLiteral("Now Working Offline"));
    }
}

void NetworkPlay::startServer()
{
    // The server installed in the midi folder, else the one shipped with the program.
    std::string program = paths_.inMidiFolder("serv");
    if (!files_.fileExists(program))
        program = paths_.shippedFile(files_, "serv");
    if (files_.fileExists(program) && ui_.mnuserv->isEnabled() &&
        QProcess::startDetached(QString::fromStdString(program), {})) {
        ui_.mnuserv->setEnabled(false);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("velorin"),
                    QStringLiteral("Please download server extra pack. For help contact ") +
                        QString::fromLatin1(Maker::supportEmail),
                    QMessageBox::Ok, &form_);
    box.exec();
}

bool NetworkPlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_.Label1 && event->type() == QEvent::MouseButtonRelease &&
        ui_.Label1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        toggleChat();
    } else if (watched == ui_.txtSend && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            toggleChat();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            sendChatLine();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
