// Playing through real key and mouse events delivered to the main window.
#include "support/Eventually.h"
#include "support/Form1Fixture.h"

#include "ui/keyboard/PianoKey.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

namespace {
class Playing : public Form1Test {
protected:
    void SetUp() override
    {
        writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
        start();
        form->controls().HScrollPatch->setValue(6);  // note-offs with status 0x80
        midi.clear();
    }

    // A key event as the window system delivers it: to the focus widget.
    void send(QEvent::Type type, int key, bool autoRepeat = false, const QString& text = {}, std::uint64_t time = 0)
    {
        QWidget* target = form->focusWidget() ? form->focusWidget() : form.get();
        QKeyEvent event(type, key, Qt::NoModifier, text, autoRepeat);
        event.setTimestamp(time);
        QApplication::sendEvent(target, &event);
    }
    void press(int key, bool autoRepeat = false) { send(QEvent::KeyPress, key, autoRepeat); }
    void release(int key, bool autoRepeat = false) { send(QEvent::KeyRelease, key, autoRepeat); }
    void tap(int key)
    {
        press(key);
        release(key);
    }

    static std::uint32_t on(int note) { return 0x7F0090u | std::uint32_t(note) << 8; }
    static std::uint32_t off(int note) { return 0x80u | std::uint32_t(note) << 8; }
    using Messages = std::vector<std::uint32_t>;
    PianoKey* key(int i) { return form->controls().key[static_cast<std::size_t>(i)]; }
};
}  // namespace

TEST_F(Playing, LetterRowsPlayFromTheBaseNote)
{
    tap(Qt::Key_Z);
    tap(Qt::Key_S);
    tap(Qt::Key_Delete);
    tap(Qt::Key_Comma);
    tap(Qt::Key_Q);
    EXPECT_EQ(midi.messages(), (Messages{on(60), off(60), on(61), off(61), on(100), off(100), on(72), off(72),
                                         on(77), off(77)}));
}

TEST_F(Playing, WithoutASettingsFileZPlaysFiftyNine)
{
    stop();
    QFile::remove(env.midiFolder() + "/instruments.ini");
    start();
    midi.clear();
    tap(Qt::Key_Z);
    EXPECT_EQ(midi.messages(), (Messages{on(59), off(59)}));
}

TEST_F(Playing, PageUpMovesTheBaseNoteAndSaysSoInTheCaption)
{
    tap(Qt::Key_PageUp);
    tap(Qt::Key_PageUp);
    EXPECT_EQ(form->windowTitle(), "Base:  62");
    EXPECT_TRUE(midi.messages().empty());
    tap(Qt::Key_Z);
    EXPECT_EQ(midi.messages(), (Messages{on(62), off(62)}));
    form->baseNote = 0;
    tap(Qt::Key_PageDown);
    EXPECT_EQ(form->windowTitle(), "Base: -1");
}

TEST_F(Playing, TheBaseNoteStopsAtTheSixteenBitLimits)
{
    form->baseNote = 32767;
    tap(Qt::Key_PageUp);
    EXPECT_EQ(form->baseNote, 32767);
    form->baseNote = -32768;
    tap(Qt::Key_PageDown);
    EXPECT_EQ(form->baseNote, -32768);
    tap(Qt::Key_Z);  // far out of range: nothing reaches the device
    EXPECT_TRUE(midi.messages().empty());
}

TEST_F(Playing, AReleaseStopsExactlyTheNoteItsPressStartedUntilTheLastSourceLetsGo)
{
    // The base note moves while Z is held: Z's release still stops 60.
    press(Qt::Key_Z);
    tap(Qt::Key_PageUp);
    release(Qt::Key_Z);
    EXPECT_EQ(midi.messages(), (Messages{on(60), off(60)}));

    // The patch changes to a piano while X is held: X ends with the note-off
    // of the organ it started on, not with the piano's ringing form.
    midi.clear();
    press(Qt::Key_X);  // key 2, now note 63
    tap(Qt::Key_End);  // patch 5
    release(Qt::Key_X);
    EXPECT_EQ(midi.messages().back(), off(63));

    // A key held by the mouse and the computer keyboard sounds once and
    // stops when the last of them lets go.
    form->controls().HScrollPatch->setValue(6);
    midi.clear();
    QTest::mousePress(key(0), Qt::LeftButton);
    press(Qt::Key_Z);
    release(Qt::Key_Z);
    EXPECT_EQ(midi.messages(), (Messages{on(61)}));
    EXPECT_TRUE(key(0)->shownPressed());
    QTest::mouseRelease(key(0), Qt::LeftButton);
    EXPECT_EQ(midi.messages(), (Messages{on(61), off(61)}));
    EXPECT_FALSE(key(0)->shownPressed());
}

TEST_F(Playing, AHeldKeySoundsOnceAndEndsOnceAtTheRealRelease)
{
    press(Qt::Key_Z);
    for (int i = 0; i < 5; ++i) {
        release(Qt::Key_Z, true);
        press(Qt::Key_Z, true);
    }
    EXPECT_EQ(midi.messages(), (Messages{on(60)}));
    EXPECT_TRUE(key(0)->shownPressed());
    release(Qt::Key_Z);
    EXPECT_EQ(midi.messages(), (Messages{on(60), off(60)}));
    EXPECT_FALSE(key(0)->shownPressed());
}

TEST_F(Playing, EveryKeyOfAChordSounds)
{
    for (int k : {Qt::Key_Z, Qt::Key_X, Qt::Key_C, Qt::Key_V, Qt::Key_B})
        press(k);
    EXPECT_EQ(midi.messages(), (Messages{on(60), on(62), on(64), on(65), on(67)}));
    release(Qt::Key_C);
    press(Qt::Key_V);  // V is still held: its repeat is not a new stroke
    EXPECT_EQ(midi.messages().back(), off(64));
    release(Qt::Key_V);
    press(Qt::Key_V);
    EXPECT_EQ(midi.messages().back(), on(65));
}

TEST_F(Playing, ModifiersFunctionKeysAndOtherIgnoredKeysSoundNothing)
{
    for (int k : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_CapsLock, Qt::Key_Escape, Qt::Key_Space,
                  Qt::Key_Return, Qt::Key_Left, Qt::Key_Right, Qt::Key_Meta, Qt::Key_Menu, Qt::Key_QuoteLeft,
                  Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F6, Qt::Key_VolumeUp,
                  Qt::Key_1, Qt::Key_5, Qt::Key_8, Qt::Key_Up, Qt::Key_Down, Qt::Key_A}) {
        press(k);
        release(k);
    }
    EXPECT_TRUE(midi.messages().empty());
    EXPECT_EQ(form->windowTitle(), "Velorin Piano - 127 Tones");
}

TEST_F(Playing, HomeAndEndMoveTheInstrumentAndStopAtTheEnds)
{
    tap(Qt::Key_Home);
    EXPECT_EQ(form->patch(), 7);
    EXPECT_EQ(form->controls().instru->text(), "Clavinet");
    EXPECT_EQ(midi.messages(), (Messages{0x07C0}));
    form->controls().HScrollPatch->setValue(127);
    tap(Qt::Key_Home);
    EXPECT_EQ(form->patch(), 127);
    form->controls().HScrollPatch->setValue(0);
    tap(Qt::Key_End);
    EXPECT_EQ(form->patch(), 0);
    form->controls().HScrollPatch->setValue(1);
    tap(Qt::Key_End);
    EXPECT_EQ(form->patch(), 0);
}

TEST_F(Playing, TheChatLineTakesTheKeysWhileShownButKeyUpsStillEndNotes)
{
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_EVENTUALLY(form->isActiveWindow(), 5000);
    std::uint64_t time = 1000;
    send(QEvent::KeyPress, Qt::Key_Z, false, "z", time);  // a note held
    QLineEdit* chat = form->controls().txtSend;
    chat->setEnabled(true);
    chat->show();
    midi.clear();
    // The first letter moves the keyboard to the chat line, which ends the
    // held note; the letters type, and their key-ups send note-offs.
    send(QEvent::KeyPress, Qt::Key_H, false, "h", time += 100);
    EXPECT_EQ(midi.messages(), (Messages{off(60)}));
    send(QEvent::KeyRelease, Qt::Key_H, false, "h", time += 100);
    send(QEvent::KeyPress, Qt::Key_I, false, "i", time += 100);
    send(QEvent::KeyRelease, Qt::Key_I, false, "i", time += 100);
    EXPECT_EQ(chat->text(), "hi");
    EXPECT_EQ(form->focusWidget(), chat);
    EXPECT_EQ(midi.messages(), (Messages{off(60), off(68), off(89)}));

    // Z, held when the chat line took the keyboard, types nothing with its
    // auto-repeat until it is released; its next stroke types again.
    for (int i = 0; i < 5; ++i)
        send(QEvent::KeyPress, Qt::Key_Z, true, "z", time += 40);
    EXPECT_EQ(chat->text(), "hi");
    send(QEvent::KeyRelease, Qt::Key_Z, false, "z", time += 40);
    send(QEvent::KeyPress, Qt::Key_Z, false, "z", time += 300);
    send(QEvent::KeyRelease, Qt::Key_Z, false, "z", time += 100);
    EXPECT_EQ(chat->text(), "hiz");

    chat->setEnabled(false);  // disabled: the keys play again
    tap(Qt::Key_X);
    EXPECT_EQ(midi.messages().back(), off(62));
}

TEST_F(Playing, MousePressAndReleaseOnWhiteAndBlackKeys)
{
    form->show();
    QTest::mousePress(key(0), Qt::LeftButton);
    EXPECT_TRUE(key(0)->shownPressed());
    EXPECT_EQ(key(0)->background(), QColor(255, 255, 192));
    QTest::mouseRelease(key(0), Qt::LeftButton);
    EXPECT_FALSE(key(0)->shownPressed());
    EXPECT_EQ(key(0)->background(), QColor(255, 255, 255));
    QTest::mousePress(key(1), Qt::RightButton);
    EXPECT_EQ(key(1)->textColour(), QColor(255, 0, 0));
    QTest::mouseRelease(key(1), Qt::RightButton);
    EXPECT_EQ(key(1)->textColour(), QColor(192, 0, 192));
    EXPECT_EQ(key(1)->background(), QColor(64, 0, 0));
    EXPECT_EQ(midi.messages(), (Messages{on(60), off(60), on(61), off(61)}));
}

TEST_F(Playing, AMousePressReleasedElsewhereStillEndsItsNote)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QWindow* window = form->windowHandle();
    const QPoint onKey = key(2)->mapTo(form.get(), QPoint(10, 80));
    const QPoint away = form->controls().Label3->mapTo(form.get(), QPoint(300, 5));
    QTest::mousePress(window, Qt::LeftButton, {}, onKey);
    QTest::mouseMove(window, away);
    QTest::mouseRelease(window, Qt::LeftButton, {}, away);
    EXPECT_EQ(midi.messages(), (Messages{on(62), off(62)}));
    EXPECT_FALSE(key(2)->shownPressed());
}

TEST_F(Playing, ClickingAKeyDoesNotToggleItsLook)
{
    form->show();
    QTest::mouseClick(key(4), Qt::LeftButton);
    QTest::mouseClick(key(4), Qt::LeftButton);
    EXPECT_FALSE(key(4)->shownPressed());
    EXPECT_FALSE(key(4)->isChecked());
    EXPECT_EQ(midi.messages(), (Messages{on(64), off(64), on(64), off(64)}));
}

TEST_F(Playing, LosingTheKeyboardReleasesHeldKeys)
{
    press(Qt::Key_Z);
    press(Qt::Key_X);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(form.get(), &deactivate);
    EXPECT_FALSE(key(0)->shownPressed());
    EXPECT_FALSE(key(2)->shownPressed());
    EXPECT_EQ(midi.messages(), (Messages{on(60), on(62), off(60), off(62)}));
    // The key-ups that arrive later find nothing to end but do no harm.
    release(Qt::Key_Z);
    press(Qt::Key_C);
    EXPECT_EQ(midi.messages().back(), on(64));
    // One of Velorin's own dialogs takes the keyboard the same way.
    midi.clear();
    form->controls().mnuSet->trigger();
    EXPECT_EQ(midi.messages(), (Messages{off(64)}));
    EXPECT_FALSE(key(4)->shownPressed());
}

TEST_F(Playing, KeysReachTheWindowWhicheverChildHasTheFocus)
{
    form->controls().HScrollPatch->setFocus();
    tap(Qt::Key_M);
    form->controls().txtRx->setFocus();
    tap(Qt::Key_N);
    EXPECT_EQ(midi.messages(), (Messages{on(71), off(71), on(69), off(69)}));
}
