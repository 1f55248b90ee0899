// Two Velorin windows playing together through a real play server.
#include "support/Eventually.h"
#include "ui/window/Form1.h"
#include "support/ManualClock.h"
#include "support/RecordingMidiOut.h"
#include "platform/IniSettingsStore.h"
#include "platform/Paths.h"
#include "platform/QtFiles.h"
#include "platform/TcpPlaySocket.h"
#include "support/TempEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {
struct Musician {
    RecordingMidiOut midi;
    ManualClock clock;
    TcpPlaySocket socket;
    QtFiles files;
    IniSettingsStore settings;
    Form1 form;
    explicit Musician(const QString& store)
        : settings(store), form(Form1Services{midi, settings, files, clock, socket, Paths::fromEnvironment()})
    {
        form.startUp();
        form.baseNote = 60;
    }
    void connect(const QString& address)
    {
        QTimer::singleShot(0, [address] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box->setTextValue(address);
            box->accept();
        });
        form.controls().mnufileConnect->trigger();
    }
    int noteOns(int note) const
    {
        int n = 0;
        for (auto m : midi.messages())
            n += m == (0x7F0090u | std::uint32_t(note) << 8);
        return n;
    }
};
}  // namespace

TEST(TwoWindows, AKeyPressedInOneSoundsInBoth)
{
    TempEnvironment env;
    QProcess serv;
    // A relay on a port of its own, which the windows name after the address.
    serv.start(QStringLiteral(SERV_PROGRAM), {"--port", "0", "--bind", "127.0.0.1"});
    ASSERT_TRUE(serv.waitForReadyRead(5000));
    const QString listening = QString::fromUtf8(serv.readLine()).trimmed();
    const QString port = listening.section(QLatin1Char(':'), -1);
    ASSERT_TRUE(listening.contains(" listening on 127.0.0.1:") && port.toInt() > 0) << listening.toStdString();

    Musician a(env.root() + "/a.ini");
    Musician b(env.root() + "/b.ini");
    a.connect("127.0.0.1:" + port);
    b.connect("localhost:" + port);
    ASSERT_EVENTUALLY(a.form.isConnected() && b.form.isConnected(), 5000);
    QTest::qWait(200);  // the join notices go round

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier);
    QApplication::sendEvent(&a.form, &press);
    ASSERT_EVENTUALLY(a.noteOns(60) == 1 && b.noteOns(60) == 1, 5000);

    // A chord struck with no pause between its keys travels as three
    // messages, however the network packs them, and sounds as three notes.
    const auto send = [&](QEvent::Type type, int key) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QApplication::sendEvent(a.form.focusWidget() ? a.form.focusWidget() : &a.form, &event);
    };
    send(QEvent::KeyRelease, Qt::Key_Z);
    for (int key : {Qt::Key_C, Qt::Key_B, Qt::Key_Comma})
        send(QEvent::KeyPress, key);
    const auto chordHeard = [](const Musician& m) {
        return m.noteOns(64) == 1 && m.noteOns(67) == 1 && m.noteOns(72) == 1;
    };
    ASSERT_EVENTUALLY(chordHeard(a) && chordHeard(b), 5000);
    QTest::qWait(100);
    const auto noteOns = std::count_if(b.midi.messages().begin(), b.midi.messages().end(),
                                       [](std::uint32_t m) { return (m & 0xF0) == 0x90; });
    EXPECT_EQ(noteOns, 4) << "no joined message sounded a wrong note";

    serv.terminate();
    ASSERT_TRUE(serv.waitForFinished(5000));
    EXPECT_EQ(serv.exitCode(), 0);
    // Pulling the server away brings both windows back to Connect.
    ASSERT_EVENTUALLY(a.form.controls().mnufileConnect->isEnabled() && !a.form.isConnected() &&
                                 !b.form.isConnected(), 5000);
}
