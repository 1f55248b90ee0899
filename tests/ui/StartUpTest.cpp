#include "support/Form1Fixture.h"

#include "ui/keyboard/PianoKey.h"
#include "ui/recording/RecorderControls.h"

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <cstdio>

TEST_F(Form1Test, StartsWithDefaultsWhenThereIsNoSettingsFile)
{
    Form1& w = start();
    EXPECT_EQ(w.windowTitle(), "Velorin Piano - 127 Tones");
    EXPECT_EQ(w.baseNote, 59);
    EXPECT_EQ(w.midi().midiChannel, 0);
    EXPECT_EQ(w.midi().noteVelocity, 127);
    EXPECT_EQ(w.times, "");
    EXPECT_EQ(w.tempo, 0);
    EXPECT_EQ(w.controls().tdelay->minimum(), 0);
    EXPECT_EQ(w.controls().tdelay->maximum(), 0);
    EXPECT_EQ(w.controls().tdelay->value(), 0);
    // The program change of patch 0 reaches the open default output.
    EXPECT_EQ(midi.lastDeviceId(), -1);
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x00C0}));
    EXPECT_EQ(w.controls().instru->text(), "Acoustic Grand Piano");
    EXPECT_TRUE(w.controls().Label5->text().startsWith("  "));
    EXPECT_EQ(w.controls().Label5->text().size(), 7);
}

TEST_F(Form1Test, TakesTheSixLinesOfTheSettingsFile)
{
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    Form1& w = start();
    EXPECT_EQ(w.baseNote, 60);
    EXPECT_EQ(w.midi().midiChannel, 0);
    EXPECT_EQ(w.times, "1");
    EXPECT_EQ(w.controls().tdelay->minimum(), 0);
    EXPECT_EQ(w.controls().tdelay->maximum(), 100);
    EXPECT_EQ(w.controls().tdelay->value(), 0);
    EXPECT_EQ(w.tempo, 0);
}

TEST_F(Form1Test, ChannelThreeCarriesTheStartUpProgramChange)
{
    writeKeyboardSettings("3\r\n60\r\n1\r\n0\r\n100\r\n20\r\n");
    Form1& w = start();
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x00C3}));
    EXPECT_EQ(w.controls().tdelay->value(), 20);
    EXPECT_EQ(w.tempo, 20);
}

TEST_F(Form1Test, TheLastPatchComesBackAtTheNextStart)
{
    start();
    form->controls().HScrollPatch->setValue(40);
    stop();
    EXPECT_EQ(TempEnvironment::read(env.settingsStoreFile()).contains("instru=40"), true);

    midi.clear();
    Form1& w = start();
    EXPECT_EQ(w.patch(), 40);
    EXPECT_EQ(w.controls().instru->text(), "Violin");
    // Selecting it before the output was open sent nothing; start-up's last step did.
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x28C0}));
}

TEST_F(Form1Test, AStoredPatchThatIsNotAPatchLeavesTheBarAtZero)
{
    for (const char* stored : {"abc", "999", "128", "-5", "12abc", "", "1e2"}) {
        TempEnvironment::write(env.settingsStoreFile(), QByteArray("[instru]\ninstru=") + stored + "\n");
        Form1& w = start();
        EXPECT_EQ(w.patch(), 0) << stored;
        form.reset();
    }
    TempEnvironment::write(env.settingsStoreFile(), "[instru]\ninstru=\" 12 \"\n");
    EXPECT_EQ(start().patch(), 12);
}

TEST_F(Form1Test, BadSettingsFilesNeverStopTheStart)
{
    QByteArray garbage;
    for (int i = 0; i < 20000; ++i)
        garbage.append(char((i * 104729) & 0xFF));
    const QByteArray cases[] = {
        garbage,
        QByteArray("99999999999999999999\r\n1e999\r\n") + QByteArray(1 << 20, '9') + "\r\n-40000\r\n70000\r\n99999\r\n",
        QByteArray("\0\0\0\r\n\0" "60\r\n\0\r\n", 12),
        QByteArray("0 60 1 0 100 0"),
        QByteArray("16\r\n200\r\n"),
    };
    for (const auto& bytes : cases) {
        writeKeyboardSettings(bytes);
        TempEnvironment::write(env.settingsStoreFile(), garbage);
        midi.clear();
        Form1& w = start();
        w.NoteOn(0);
        w.NoteOff(0);
        EXPECT_EQ(w.windowTitle(), "Velorin Piano - 127 Tones");
        form.reset();
    }
    // Channel 16 and base note 200: no message of theirs reaches the device.
    EXPECT_TRUE(midi.messages().empty());
}

TEST_F(Form1Test, AnOutputThatDoesNotOpenSaysSoInTheCaption)
{
    RecordingMidiOut broken(68);
    Form1& w = start(&broken);
    EXPECT_EQ(w.windowTitle(), "Velorin - Device not ready");
    // Said in the window too, with what to try, and not replaced by the next caption.
    EXPECT_TRUE(w.controls().deviceFault->isVisibleTo(&w));
    EXPECT_TRUE(w.controls().deviceFault->text().contains("sound server"));
    w.recorder().clear();
    EXPECT_EQ(w.windowTitle(), "Velorin Piano");
    EXPECT_TRUE(w.controls().deviceFault->isVisibleTo(&w));
    w.NoteOn(5);
    EXPECT_TRUE(w.controls().key[5]->shownPressed());  // looks change, nothing sounds
    EXPECT_TRUE(broken.messages().empty());
    form.reset();  // before the output it was given
}

TEST_F(Form1Test, TheNoSoundLineReadsWholeAndClearOfTheInstrumentName)
{
    // The two texts: no sound server, and a port named in the settings that is not there.
    RecordingMidiOut broken(68);
    for (const QByteArray& port : {QByteArray(), QByteArray("USB Keystation 61 MIDI 1")}) {
        TempEnvironment::write(env.settingsStoreFile(), "[instru]\ninstru=19\n[midi]\noutput=" + port + "\n");
        Form1& w = start(&broken);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        const QLabel* line = w.controls().deviceFault;
        ASSERT_TRUE(line->isVisible());
        EXPECT_LE(line->geometry().right() + 4, w.controls().instru->geometry().left());
        EXPECT_LE(line->geometry().bottom(), w.controls().HScrollPatch->geometry().top());
        // Every word shows, wrapped in the line's own font, and that font stays legible.
        const QRect needed = QFontMetrics(line->font())
                                 .boundingRect(line->contentsRect(), Qt::TextWordWrap | int(line->alignment()),
                                               line->text());
        EXPECT_TRUE(line->contentsRect().contains(needed)) << needed.width() << " x " << needed.height();
        EXPECT_GE(line->font().pointSizeF(), 6.75);
        // A picture of the window, to look at.
        const QString picture = QCoreApplication::applicationDirPath() + "/no-sound-line" +
                                (port.isEmpty() ? QString() : QStringLiteral("-port")) + ".png";
        EXPECT_TRUE(w.grab().save(picture));
        std::printf("the window with the line: %s\n", qPrintable(picture));
        form.reset();
    }
}

TEST_F(Form1Test, InstrumentListsHoldEveryNameOnceHoweverOftenTheWindowIsActivated)
{
    Form1& w = start();
    for (int i = 0; i < 3; ++i) {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&w, &activate);
    }
    const QString first = w.controls().loadnam[0]->toPlainText();
    EXPECT_TRUE(first.startsWith("\n 0 - Acoustic Grand Piano\n 1 - Bright Acoustic Piano"));
    EXPECT_EQ(first.count(" 0 - Acoustic Grand Piano"), 1);
    EXPECT_EQ(first.count('\n'), 20);
    EXPECT_TRUE(w.controls().loadnam[5]->toPlainText().endsWith("\n 119 - Reverse Cymbal"));
}

TEST_F(Form1Test, ControlsSitAtTheirDesignPlaces)
{
    programFolder = env.root().toStdString();  // nothing shipped there
    Form1& w = start();
    const auto& c = w.controls();
    EXPECT_EQ(c.client->size(), QSize(784, 188));
    EXPECT_EQ(c.key[0]->geometry(), QRect(8, -56, 33, 145));
    EXPECT_EQ(c.key[1]->geometry(), QRect(32, -56, 17, 105));
    EXPECT_EQ(c.key[40]->geometry().x(), 8 + 32 * 23);
    EXPECT_EQ(c.key[0]->text(), "C");
    EXPECT_EQ(c.key[40]->toolTip(), "Del");
    EXPECT_EQ(c.key[1]->toolTip(), "");
    EXPECT_EQ(c.HScrollPatch->maximum(), 127);
    EXPECT_EQ(c.Command1->geometry().top(), 189);  // outside the window, as designed
    EXPECT_FALSE(c.midiconv->isEnabled());         // no converter beside the program
    EXPECT_TRUE(c.mnufileConnect->isEnabled());
    EXPECT_TRUE(c.mnuserv->isEnabled());
    EXPECT_EQ(c.mnuReplaymid->shortcut(), QKeySequence(Qt::Key_F12));
    // Black keys lie above white ones.
    EXPECT_EQ(c.client->childAt(33, 10), c.key[1]);
}

TEST_F(Form1Test, HoveringTheCreditLabelColoursIt)
{
    Form1& w = start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QLabel* credit = w.controls().Label2;
    QWindow* window = w.windowHandle();
    QTest::mouseMove(window, credit->mapTo(&w, QPoint(5, 5)));
    EXPECT_EQ(textColour(credit), QColor(128, 0, 0));
    QTest::mouseMove(window, w.controls().client->mapTo(&w, QPoint(700, 100)));
    EXPECT_EQ(textColour(credit), QColor(64, 0, 64));
}

TEST_F(Form1Test, ExitStoresThePatchClosesTheOutputAndEndsTheProgram)
{
    Form1& w = start();
    QSignalSpy ended(&w, &Form1::unloaded);
    w.controls().HScrollPatch->setValue(7);
    w.controls().mnuFileexit->trigger();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(midi.isOpen());
    EXPECT_EQ(IniSettingsStore(env.settingsStoreFile()).value("instru", "instru"), "7");
}
