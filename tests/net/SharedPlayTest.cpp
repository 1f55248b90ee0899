// Shared play against a test server on 127.0.0.1:9352, with real sockets.
#include "support/Eventually.h"
#include "support/Form1Fixture.h"

#include "ui/net/NetworkPlay.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {
class SharedPlay : public Form1Test {
protected:
    QTcpServer server;
    QTcpSocket* peer = nullptr;
    QByteArray received;

    void SetUp() override
    {
        writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 9352)) << server.errorString().toStdString();
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this] { received += peer->readAll(); });
        });
        start();
        form->controls().HScrollPatch->setValue(6);
        midi.clear();
    }

    // Answers the address prompt, as the user would type it.
    void answerPrompt(const QString& host, bool accept = true)
    {
        QTimer::singleShot(0, [host, accept] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), "velorin");
            EXPECT_EQ(box->labelText(), "Please enter the Server's IP address");
            box->setTextValue(host);
            accept ? box->accept() : box->reject();
        });
    }
    void goOnline(const QString& host = "127.0.0.1")
    {
        answerPrompt(host);
        form->controls().mnufileConnect->trigger();
        ASSERT_EVENTUALLY(form->isConnected() && peer, 5000);
    }
    void serverSends(const QByteArray& bytes)
    {
        peer->write(bytes);
        peer->flush();
    }
    void key(QEvent::Type type, int k, const QString& text = {})
    {
        QWidget* target = form->focusWidget() ? form->focusWidget() : form.get();
        QKeyEvent event(type, k, Qt::NoModifier, text);
        QApplication::sendEvent(target, &event);
    }
    QString instru() const { return form->controls().instru->text(); }
};
}  // namespace

TEST_F(SharedPlay, ConnectingSendsTheJoinNoticeWithTheAddressAsTyped)
{
    goOnline();
    ASSERT_EVENTUALLY_EQ(received, QByteArray(": Connected to the Server with IP: 127.0.0.1\r\n"), 3000);
    EXPECT_EQ(instru(), "Connected to Server");
    EXPECT_FALSE(form->controls().Command1->isEnabled());
    EXPECT_TRUE(peer->socketOption(QAbstractSocket::LowDelayOption).isValid());
}

TEST_F(SharedPlay, KeysPressedWhileConnectedGoToTheServerAndSoundNothingHere)
{
    goOnline();
    ASSERT_EVENTUALLY(!received.isEmpty(), 5000);
    received.clear();
    form->controls().mnuRecord->trigger();
    key(QEvent::KeyPress, Qt::Key_Comma);
    ASSERT_EVENTUALLY_EQ(received, QByteArray("12\r\n"), 3000);
    EXPECT_EQ(form->windowTitle(), "Velorin Piano -127.0.0.1");
    key(QEvent::KeyRelease, Qt::Key_Comma);  // releases are never sent, but end the note here
    key(QEvent::KeyPress, Qt::Key_A);
    ASSERT_EVENTUALLY_EQ(received, QByteArray("12\r\n-1\r\n"), 3000);
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x4880}));
    // Presses are not recorded while connected; releases are.
    EXPECT_EQ(TempEnvironment::read(env.midiFolder() + "/piano.ini"), "12: 0\r\n");
}

TEST_F(SharedPlay, NotesFromTheServerSoundHereAndShowTheChat)
{
    goOnline();
    serverSends("12");
    ASSERT_EVENTUALLY_EQ(midi.messages().size(), std::size_t(2), 3000);
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x7F4890, 0x4880}));
    EXPECT_EQ(instru(), "Shared Music Play");
    EXPECT_FALSE(form->controls().txtRx->isHidden());
    EXPECT_FALSE(form->controls().txtSend->isHidden());
    EXPECT_FALSE(form->controls().Label1->isHidden());
    midi.clear();
    serverSends("-1");
    QTest::qWait(100);
    EXPECT_TRUE(midi.messages().empty());
    serverSends("abc");  // no number: key 0
    ASSERT_EVENTUALLY_EQ(midi.messages().size(), std::size_t(2), 3000);
    EXPECT_EQ(midi.messages().front(), 0x7F3C90u);

    // Once CR LF was seen, a peer that sends none still plays: its message
    // waits briefly for an end, then counts as it stands, and does not run
    // into the next one.
    serverSends("7\r\n");
    ASSERT_EVENTUALLY_EQ(midi.messages().size(), std::size_t(4), 3000);
    midi.clear();
    serverSends("12");
    ASSERT_EVENTUALLY_EQ(midi.messages().size(), std::size_t(2), 3000);
    EXPECT_EQ(midi.messages().front(), 0x7F4890u);
    QTest::qWait(100);
    serverSends("24\r\n");
    ASSERT_EVENTUALLY_EQ(midi.messages().size(), std::size_t(4), 3000);
    EXPECT_EQ(midi.messages()[2], 0x7F5490u);
}

TEST_F(SharedPlay, ChatLinesArePrependedAndTheChatLineSendsOurs)
{
    goOnline();
    serverSends(":bob: hello");
    ASSERT_EVENTUALLY_EQ(form->network().chatText(), std::string("bob: hello\r\n"), 3000);
    serverSends(": Connected to the Server with IP: 10.0.0.5");
    ASSERT_EVENTUALLY_EQ(form->network().chatText(), std::string(" Connected to the Server with IP: 10.0.0.5\r\nbob: hello\r\n"), 3000);
    ASSERT_EVENTUALLY(form->controls().txtRx->toPlainText().startsWith(" Connected"), 5000);

    received.clear();
    QLabel* toggle = form->controls().Label1;
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(form->controls().txtSend->isEnabled());
    EXPECT_EQ(toggle->text(), "Disable:");
    QTest::keyClicks(form->controls().txtSend, "hi all");
    QTest::keyClick(form->controls().txtSend, Qt::Key_Return);
    const QByteArray expected = ":" + QSysInfo::machineHostName().toUtf8() + ": hi all\r\n";
    ASSERT_EVENTUALLY_EQ(received, expected, 3000);
    EXPECT_TRUE(form->controls().txtSend->text().isEmpty());
    QTest::keyClick(form->controls().txtSend, Qt::Key_Escape);
    EXPECT_FALSE(form->controls().txtSend->isEnabled());
    EXPECT_EQ(toggle->text(), "Send:");
}

TEST_F(SharedPlay, TheChatBoxKeepsOnlyTheNewestText)
{
    goOnline();
    const QByteArray line = ":" + QByteArray(1000, 'x');
    for (int i = 0; i < 100; ++i) {
        serverSends(line);
        QTest::qWait(1);
    }
    serverSends(":newest");
    ASSERT_EVENTUALLY(form->network().chatText().rfind("newest\r\n", 0) == 0, 5000);
    EXPECT_EQ(form->network().chatText().size(), NetworkPlay::maxChatBytes);
}

TEST_F(SharedPlay, GoingOfflineAndEnterWhileOffline)
{
    goOnline();
    serverSends("1");
    ASSERT_EVENTUALLY(!form->controls().txtRx->isHidden(), 5000);
    form->controls().mnufileConnect->trigger();
    EXPECT_FALSE(form->isConnected());
    EXPECT_EQ(instru(), "Now Working Offline");
    EXPECT_TRUE(form->controls().Command1->isEnabled());
    EXPECT_TRUE(form->controls().txtRx->isHidden());

    form->controls().txtSend->show();
    form->controls().txtSend->setEnabled(true);
    form->controls().instru->clear();
    QTest::keyClick(form->controls().txtSend, Qt::Key_Return);
    EXPECT_TRUE(form->controls().txtSend->isHidden());
    EXPECT_EQ(instru(), "Now Working Offline");
}

TEST_F(SharedPlay, TheServerClosingBringsConnectBack)
{
    goOnline();
    peer->disconnectFromHost();
    ASSERT_EVENTUALLY_EQ(instru(), QString("Connection failed."), 3000);
    EXPECT_TRUE(form->controls().Command1->isEnabled());
    EXPECT_FALSE(form->isConnected());
    // Keys sound here again, and Connect works.
    key(QEvent::KeyPress, Qt::Key_Z);
    EXPECT_EQ(midi.messages().back(), 0x7F3C90u);
    peer = nullptr;
    goOnline();
}

TEST_F(SharedPlay, ARefusedOrImpossibleConnectionEndsOffline)
{
    server.close();
    answerPrompt("127.0.0.1");
    form->controls().mnufileConnect->trigger();
    EXPECT_FALSE(form->controls().Command1->isEnabled());
    ASSERT_EVENTUALLY_EQ(instru(), QString("Connection failed."), 5000);
    EXPECT_TRUE(form->controls().Command1->isEnabled());

    form->controls().instru->clear();
    answerPrompt("", false);  // cancelled: an empty address
    form->controls().mnufileConnect->trigger();
    ASSERT_EVENTUALLY_EQ(instru(), QString("Connection failed."), 5000);
    EXPECT_TRUE(form->controls().Command1->isEnabled());
}

TEST_F(SharedPlay, StartServerStartsItOnceOrSaysWhereToGetIt)
{
    stop();
    programFolder = env.root().toStdString();  // no server shipped there
    start();
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    form->network().startServer();
    EXPECT_EQ(shown, "Please download server extra pack. For help contact support@velorin.example");

    const QString marker = env.root() + "/started";
    const QString script = env.midiFolder() + "/serv";
    TempEnvironment::write(script, "#!/bin/sh\necho started >> '" + marker.toUtf8() + "'\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    form->controls().mnuserv->trigger();
    EXPECT_FALSE(form->controls().mnuserv->isEnabled());
    form->controls().mnuserv->trigger();  // greyed: nothing more
    ASSERT_EVENTUALLY_EQ(TempEnvironment::read(marker), QByteArray("started\n"), 5000);
    QTest::qWait(200);
    EXPECT_EQ(TempEnvironment::read(marker), QByteArray("started\n"));
}
