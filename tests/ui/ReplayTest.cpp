// Replay on a manual clock: every wait is exact and nothing really sleeps.
#include "support/Eventually.h"
#include "support/Form1Fixture.h"

#include "ui/keyboard/PianoKey.h"
#include "ui/recording/RecorderControls.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

using namespace std::chrono_literals;

namespace {
class Replay : public Form1Test {
protected:
    void SetUp() override
    {
        writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
        start();
        form->controls().HScrollPatch->setValue(6);
        midi.clear();
        midi.stampWith(&clock);
        t0 = clock.now();
    }
    void writeLog(const QByteArray& bytes) { TempEnvironment::write(env.midiFolder() + "/piano.ini", bytes); }
    QByteArray log() const { return TempEnvironment::read(env.midiFolder() + "/piano.ini"); }
    // When each message came, in milliseconds from the start.
    std::vector<long> times() const
    {
        std::vector<long> ms;
        for (auto t : midi.times())
            ms.push_back(long(std::chrono::duration_cast<std::chrono::milliseconds>(t - t0).count()));
        return ms;
    }
    bool running() { return form->recorder().player().running(); }
    static std::uint32_t on(int note) { return 0x7F0090u | std::uint32_t(note) << 8; }
    static std::uint32_t off(int note) { return 0x80u | std::uint32_t(note) << 8; }
    Clock::Time t0;
};
}  // namespace

TEST_F(Replay, PlaysEachNoteForItsLengthWithTheRestsBetween)
{
    writeLog("12: 34\r\nS: 7\r\n14: 10\r\n");
    form->controls().mnuReplaymid->trigger();
    EXPECT_TRUE(running());
    EXPECT_EQ(form->windowTitle(), "Playing: 12");
    clock.runAll();
    EXPECT_FALSE(running());
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{on(72), off(72), on(74), off(74)}));
    EXPECT_EQ(times(), (std::vector<long>{0, 340, 410, 510}));
    EXPECT_EQ(form->windowTitle(), "Playing: 14");
}

TEST_F(Replay, MultiplierAndTempoStretchEveryWait)
{
    writeLog("12: 34\r\nS: 7\r\n14: 10\r\n");
    form->times = "2";
    form->tempo = 50;
    form->recorder().replay();
    clock.runAll();
    EXPECT_EQ(times(), (std::vector<long>{0, 730, 920, 1170}));
}

TEST_F(Replay, TheSpeedBarSetsTempoAndReachesARunningReplay)
{
    writeLog("1: 10\r\n2: 10\r\n");
    form->recorder().replay();
    clock.advance(50ms);
    form->controls().tdelay->setValue(25);
    EXPECT_EQ(form->tempo, 25);
    EXPECT_EQ(form->controls().instru->text(), "Time delay:  25");
    clock.runAll();
    EXPECT_EQ(times(), (std::vector<long>{0, 100, 100, 225}));
}

TEST_F(Replay, ASecondReplayIsRefusedAndAReplayIsNeverRecorded)
{
    writeLog("0: 10\r\n");
    form->controls().mnuRecord->trigger();
    form->recorder().replay();
    QTest::mouseClick(form->controls().Label4, Qt::LeftButton);
    form->recorder().replay();
    clock.runAll();
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{on(60), off(60)}));
    EXPECT_EQ(log(), "0: 10\r\n");
}

TEST_F(Replay, WithoutALogNothingPlaysAndTheWindowStaysUsable)
{
    form->recorder().replay();
    EXPECT_FALSE(running());
    EXPECT_TRUE(midi.messages().empty());
    writeLog("3: 1\r\n");
    form->recorder().replay();
    clock.runAll();
    EXPECT_EQ(midi.messages().size(), 2u);
}

TEST_F(Replay, AMultiplierThatIsNotANumberPlaysWithoutPauses)
{
    writeLog("0: 100\r\nS: 100\r\n2: 100\r\n");
    form->times = "";
    form->recorder().replay();
    clock.runAll();
    EXPECT_EQ(times(), (std::vector<long>{0, 0, 0, 0}));
}

TEST_F(Replay, ClearStopsAReplayReleasesItsNoteAndRemovesTheLog)
{
    writeLog("0: 100\r\n2: 100\r\n");
    form->controls().mnuRecord->trigger();
    form->recorder().replay();
    clock.advance(50ms);
    EXPECT_TRUE(form->controls().key[0]->shownPressed());
    form->controls().mnufileclear->trigger();
    EXPECT_FALSE(running());
    EXPECT_FALSE(form->controls().key[0]->shownPressed());
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{on(60), off(60)}));
    EXPECT_FALSE(QFile::exists(env.midiFolder() + "/piano.ini"));
    EXPECT_EQ(form->windowTitle(), "Velorin Piano");
    EXPECT_EQ(form->recorder().recorder().noteCount(), 0);
    EXPECT_EQ(form->recorder().recorder().restCount(), 0);
    clock.runAll();
    EXPECT_EQ(midi.messages().size(), 2u);
}

TEST_F(Replay, ClickingTheTitleClearsAndClearIsHarmlessWithoutFiles)
{
    writeLog("0: 1\r\n");
    TempEnvironment::write(env.midiFolder() + "/pianon.ini", "x");
    QTest::mouseClick(form->controls().lblTitle, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(env.midiFolder() + "/piano.ini"));
    EXPECT_FALSE(QFile::exists(env.midiFolder() + "/pianon.ini"));
    form->setWindowTitle("x");
    form->recorder().clear();
    EXPECT_EQ(form->windowTitle(), "Velorin Piano");
}

TEST_F(Replay, AClearedRecordingComesBackUntilTheNextRecordingStarts)
{
    QAction* undo = form->controls().mnuUndoClear;
    const QString log = env.midiFolder() + "/piano.ini";
    writeLog("0: 12\r\nS: 5\r\n");
    QTest::mouseClick(form->controls().lblTitle, Qt::LeftButton);  // a stray click
    EXPECT_FALSE(QFile::exists(log));
    ASSERT_EVENTUALLY(undo->isEnabled(), 1000);
    undo->trigger();
    EXPECT_EQ(TempEnvironment::read(log), "0: 12\r\nS: 5\r\n");
    ASSERT_EVENTUALLY(!undo->isEnabled(), 1000);

    // Kept over a restart; Record starting a new recording lets it go for good.
    form->controls().mnufileclear->trigger();
    stop();
    start();
    ASSERT_EVENTUALLY(form->controls().mnuUndoClear->isEnabled(), 1000);
    form->controls().mnuRecord->trigger();
    ASSERT_EVENTUALLY(!form->controls().mnuUndoClear->isEnabled(), 1000);
    form->controls().mnuUndoClear->trigger();
    EXPECT_FALSE(QFile::exists(log));
    EXPECT_FALSE(QDir(env.midiFolder()).entryList(QDir::Files).contains("piano-cleared.ini"));
}

TEST_F(Replay, TheReplayLabelShowsWhetherARecordingExists)
{
    const QLabel* label = form->controls().Label4;
    form->recorder().colourReplayLabel();
    EXPECT_EQ(textColour(label), QColor(0, 0, 128));
    EXPECT_TRUE(form->controls().tdelay->isHidden());
    writeLog("0: 1\r\n");
    ASSERT_EVENTUALLY_EQ(textColour(label), QColor(255, 0, 0), 1000);
    EXPECT_FALSE(form->controls().tdelay->isHidden());
    form->recorder().clear();
    ASSERT_EVENTUALLY_EQ(textColour(label), QColor(0, 0, 128), 1000);
}

TEST_F(Replay, HoveringTheReplayLabelEnlargesIt)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QWindow* window = form->windowHandle();
    QLabel* label = form->controls().Label4;
    QTest::mouseMove(window, label->mapTo(form.get(), QPoint(5, 5)));
    EXPECT_EQ(label->font().pointSizeF(), 12);
    QTest::mouseMove(window, form->controls().lblTitle->mapTo(form.get(), QPoint(5, 18)));
    EXPECT_EQ(label->font().pointSizeF(), 11);
}

TEST_F(Replay, AnyBytesReplayWithoutCrashingOrHanging)
{
    QByteArray nul("5: 1\0\0: 3\r\n", 11);
    const QByteArray cases[] = {
        "",
        "no separator here\r\n12:34\r\n",
        "abc: 5\r\nS: x\r\n",
        "1: 99999999999999999999\r\n1: -50\r\n-7: 3\r\n41: 2\r\n",
        "1: 5\n2: 5\r3: 5\r\n\n\r\r\n",
        nul,
        QByteArray(10 << 20, '7') + ": 1\r\n",
        QByteArray("S: 1\r\n").repeated(5000),
    };
    for (const QByteArray& bytes : cases) {
        writeLog(bytes);
        form->recorder().replay();
        clock.runAll(200000);
        EXPECT_FALSE(running()) << bytes.left(40).toStdString();
    }
    // A log that is a folder: nothing to play.
    QFile::remove(env.midiFolder() + "/piano.ini");
    QDir().mkpath(env.midiFolder() + "/piano.ini");
    form->recorder().replay();
    EXPECT_FALSE(running());
}

TEST_F(Replay, ALineThatIsNotANoteActsAsAPauseWithItsCaption)
{
    writeLog("abc: 5\r\n3\r\n");
    form->recorder().replay();
    EXPECT_EQ(form->windowTitle(), "Playing: abc");
    EXPECT_TRUE(midi.messages().empty());
    clock.runAll();
    EXPECT_EQ(form->windowTitle(), "Playing: 3");
    EXPECT_EQ(times(), (std::vector<long>{50, 50}));  // key 3 sounds at once after the pause
}

TEST_F(Replay, ClosingTheWindowDuringAReplayEndsIt)
{
    writeLog("0: 100\r\n");
    form->recorder().replay();
    stop();
    clock.runAll();
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{on(60), off(60)}));
}
