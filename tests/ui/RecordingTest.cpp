// Recording through real key and mouse events, with time on a manual clock.
#include "support/Eventually.h"
#include "support/MessageBoxes.h"
#include "support/Form1Fixture.h"

#include "ui/keyboard/PianoKey.h"
#include "ui/recording/RecorderControls.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

using namespace std::chrono_literals;

namespace {
class Recording : public Form1Test {
protected:
    void SetUp() override
    {
        writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
        start();
    }
    void send(QEvent::Type type, int key, bool autoRepeat = false)
    {
        QWidget* target = form->focusWidget() ? form->focusWidget() : form.get();
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(target, &event);
    }
    void press(int key, bool autoRepeat = false) { send(QEvent::KeyPress, key, autoRepeat); }
    void release(int key) { send(QEvent::KeyRelease, key); }
    void tap(int key)
    {
        press(key);
        release(key);
    }
    void record() { form->controls().mnuRecord->trigger(); }
    QByteArray log() const { return TempEnvironment::read(env.midiFolder() + "/piano.ini"); }
};
}  // namespace

TEST_F(Recording, ANoteThenARestAreWrittenAtReleaseAndNextPress)
{
    record();
    EXPECT_TRUE(form->controls().mnuRecord->isChecked());
    press(Qt::Key_Comma);  // key 12
    EXPECT_EQ(form->windowTitle(), "Recording: 12");
    clock.advance(340ms);
    release(Qt::Key_Comma);
    EXPECT_EQ(log(), "12: 34\r\n");
    clock.advance(79ms);  // at 419 ms: step 42 of the recording's grid
    press(Qt::Key_Period);  // key 14
    EXPECT_EQ(log(), "12: 34\r\nS: 8\r\n");
    EXPECT_EQ(form->windowTitle(), "Recording: 14");
}

TEST_F(Recording, OverlappingKeysShareOneNoteCountAndWriteNoRest)
{
    record();
    press(Qt::Key_Z);
    clock.advance(100ms);
    press(Qt::Key_X);
    clock.advance(50ms);
    release(Qt::Key_Z);
    clock.advance(30ms);
    release(Qt::Key_X);
    EXPECT_EQ(log(), "0: 5\r\n2: 5\r\n");
}

TEST_F(Recording, AHeldKeyIsOneNoteFromItsPressToItsRelease)
{
    record();
    press(Qt::Key_Z);
    clock.advance(500ms);
    press(Qt::Key_Z, true);  // flagged as a repeat
    clock.advance(30ms);
    press(Qt::Key_Z);  // repeated with no release between: X's detectable auto-repeat
    clock.advance(30ms);
    press(Qt::Key_Z, true);
    clock.advance(40ms);
    release(Qt::Key_Z);
    EXPECT_EQ(log(), "0: 60\r\n");
    EXPECT_FALSE(form->piano().lit(0));
}

TEST_F(Recording, KeysWithoutANoteWriteMinusOneAndReleasesOfUntakenPressesNothing)
{
    record();
    press(Qt::Key_A);  // unmapped: still a press
    EXPECT_EQ(form->windowTitle(), "Recording:-1");
    clock.advance(200ms);
    release(Qt::Key_A);
    EXPECT_EQ(log(), "-1: 20\r\n");
    // Presses that never reached a note leave no length to write.
    for (int key : {Qt::Key_Shift, Qt::Key_Escape, Qt::Key_F4, Qt::Key_PageUp}) {
        press(key);
        clock.advance(100ms);
        release(key);
    }
    release(Qt::Key_F8);  // its press went to the Record command
    EXPECT_EQ(log(), "-1: 20\r\n");
}

TEST_F(Recording, AReleaseAndPressInTheSameTickWriteARestOfZero)
{
    record();
    press(Qt::Key_Z);
    clock.advance(100ms);
    release(Qt::Key_Z);
    clock.advance(4ms);
    press(Qt::Key_X);
    EXPECT_EQ(log(), "0: 10\r\nS: 0\r\n");
}

TEST_F(Recording, TheLinesAddUpToThePlayedLength)
{
    // Twenty notes of 136 ms with rests of 67 ms: each line alone would lose
    // most of a count; on one grid the lines add up to the whole.
    record();
    clock.advance(3ms);
    for (int i = 0; i < 20; ++i) {
        press(Qt::Key_Z);
        clock.advance(136ms);
        release(Qt::Key_Z);
        clock.advance(67ms);
    }
    press(Qt::Key_X);
    const QList<QByteArray> lines = log().split('\n');
    int total = 0;
    for (const QByteArray& line : lines)
        if (const qsizetype colon = line.indexOf(':'); colon >= 0)
            total += line.mid(colon + 1).trimmed().toInt();
    EXPECT_NEAR(total, 20 * 203 / 10, 1) << log().toStdString();
}

TEST_F(Recording, TogglingRecordTwiceZeroesTheCountsAndWritesNothing)
{
    record();
    press(Qt::Key_Z);
    clock.advance(100ms);
    release(Qt::Key_Z);
    clock.advance(500ms);
    record();
    record();
    clock.advance(30ms);
    press(Qt::Key_X);
    clock.advance(20ms);
    release(Qt::Key_X);
    EXPECT_EQ(log(), "0: 10\r\nS: 3\r\n2: 2\r\n");
}

TEST_F(Recording, MousePlayingIsRecordedToo)
{
    form->show();
    record();
    auto* key = form->controls().key[5];
    QTest::mousePress(key, Qt::LeftButton);
    clock.advance(250ms);
    QTest::mouseRelease(key, Qt::LeftButton);
    EXPECT_EQ(log(), "5: 25\r\n");
}

TEST_F(Recording, NothingIsWrittenWithoutRecordOrIntoAMissingFolder)
{
    press(Qt::Key_Z);
    clock.advance(100ms);
    release(Qt::Key_Z);
    EXPECT_FALSE(QFile::exists(env.midiFolder() + "/piano.ini"));

    QDir(env.midiFolder()).removeRecursively();
    MessageBoxes boxes;
    record();
    press(Qt::Key_Z);
    clock.advance(100ms);
    release(Qt::Key_Z);  // lost, and said once for the recording
    tap(Qt::Key_C);
    ASSERT_EVENTUALLY(boxes.shown.size() == 1, 5000);
    QTest::qWait(50);
    EXPECT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].startsWith("velorin|What you play cannot be recorded: ")) << boxes.shown[0].toStdString();
    QDir().mkpath(env.midiFolder());
    press(Qt::Key_X);
    clock.advance(50ms);
    release(Qt::Key_X);
    EXPECT_EQ(log(), "S: 0\r\n2: 5\r\n");
}
