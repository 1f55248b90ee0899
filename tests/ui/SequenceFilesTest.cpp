#include "support/Eventually.h"
#include "support/Form1Fixture.h"

#include "ui/recording/RecorderControls.h"
#include "ui/recording/SequenceFiles.h"
#include "logic/take/Take.h"
#include "ui/take/TakeControls.h"
#include "ui/keyboard/PianoKey.h"
#include "logic/midi/StandardMidiFile.h"
#include "platform/Paths.h"
#include "support/MessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
class Sequences : public Form1Test {
protected:
    void SetUp() override { writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n"); }
    QString logPath() const { return env.midiFolder() + "/piano.ini"; }
    void answer(const QString& path)
    {
        form->sequences().setChooser([this, path](SequenceFiles::Mode) {
            ++asked;
            return path;
        });
    }
    int asked = 0;
};
}  // namespace

TEST_F(Sequences, SaveWithoutARecordingSaysHowToRecord)
{
    start();
    answer("/never/asked.mus");
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + "|" + box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Information);
            box->accept();
        }
    });
    form->controls().mnuFileSav->trigger();
    EXPECT_EQ(shown, "velorin|No Recorded Sequence, Press F8 to record music.");
    EXPECT_EQ(asked, 0);
}

TEST_F(Sequences, SaveThenLoadGivesTheSameBytesAndReplaysAtOnce)
{
    start();
    const QByteArray recording("12: 34\r\nS: 7\r\n14: 10\r\n");
    TempEnvironment::write(logPath(), recording);
    const QString saved = env.root() + "/tune.mus";
    answer(saved);
    form->controls().mnuFileSav->trigger();
    EXPECT_EQ(TempEnvironment::read(saved), recording);

    TempEnvironment::write(logPath(), "0: 1\r\n");
    midi.clear();
    form->controls().mnufileload->trigger();
    EXPECT_EQ(TempEnvironment::read(logPath()), recording);
    EXPECT_TRUE(form->recorder().player().running());
    EXPECT_EQ(form->windowTitle(), "Playing: 12");
    EXPECT_EQ(midi.messages().front(), 0x7F4890u);
    clock.runAll();
}

TEST_F(Sequences, ACancelledOrMissingLoadKeepsTheRecording)
{
    start();
    TempEnvironment::write(logPath(), "0: 1\r\n");
    answer("");
    form->sequences().load();
    answer(env.root() + "/missing.mus");
    form->sequences().load();
    EXPECT_EQ(TempEnvironment::read(logPath()), "0: 1\r\n");
    EXPECT_FALSE(form->recorder().player().running());
}

TEST_F(Sequences, ASaveThatFailsSaysWhyAndALoadThatFailsKeepsTheRecording)
{
    start();
    TempEnvironment::write(logPath(), "0: 1\r\n");
    MessageBoxes boxes;
    const QString nowhere = env.root() + "/no such folder/tune.mus";
    answer(nowhere);
    form->sequences().save();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0], "velorin|Could not save " + nowhere + ": No such file or directory");

    // A file that exists but cannot be read leaves the recording as it was.
    answer(QStringLiteral("/proc/self/mem"));
    form->sequences().load();
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[1].startsWith("velorin|Could not load /proc/self/mem: ")) << boxes.shown[1].toStdString();
    EXPECT_EQ(TempEnvironment::read(logPath()), "0: 1\r\n");
    EXPECT_FALSE(form->recorder().player().running());
}

TEST_F(Sequences, SaveAsksOnceBeforeReplacingTheSequenceOrTheMidiFileBesideIt)
{
    start();
    TempEnvironment::write(logPath(), "0: 1\r\n");
    form->take().setTake({TakeEvent{0, 0x7F3C90}, TakeEvent{500, 0x3C80}});
    const QString mus = env.root() + "/friend.mus";
    const QString mid = env.root() + "/friend.mid";
    TempEnvironment::write(mid, "a friend's song");
    answer(mus);
    // Answers the question with the given button, and keeps what it asked.
    QStringList asked;
    const auto reply = [&](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [&asked, button] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked << box->text();
                box->button(button)->click();
            }
        });
    };

    reply(QMessageBox::No);
    form->sequences().save();
    EXPECT_EQ(asked, QStringList{"friend.mid already exists. Do you want to replace it?"});
    EXPECT_EQ(TempEnvironment::read(mid), "a friend's song");
    EXPECT_FALSE(QFile::exists(mus));

    TempEnvironment::write(mus, "S: 3\r\n");
    reply(QMessageBox::Yes);
    form->sequences().save();
    EXPECT_EQ(asked.last(), "friend.mus and friend.mid already exist. Do you want to replace them?");
    EXPECT_EQ(TempEnvironment::read(mus), "0: 1\r\n");
    EXPECT_EQ(Take::fromMidiFile(TempEnvironment::read(mid).toStdString()),
              (std::vector<TakeEvent>{TakeEvent{0, 0x7F3C90}, TakeEvent{500, 0x3C80}}));
}

TEST_F(Sequences, AFileOnTheCommandLineReplaysShortlyAfterStart)
{
    const QString tune = env.root() + "/my tune.mus";
    TempEnvironment::write(tune, "5: 10\r\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"\"" + tune.toStdString() + "\""}, std::vector<std::string>{tune.toStdString()}}) {
        QFile::remove(logPath());
        midi.clear();
        start(nullptr, args);
        EXPECT_EQ(TempEnvironment::read(logPath()), "5: 10\r\n");
        EXPECT_TRUE(form->recorder().Timer5().isActive());
        EXPECT_EQ(form->recorder().Timer5().interval(), 100);
        ASSERT_EVENTUALLY(form->recorder().player().running(), 2000);
        EXPECT_FALSE(form->recorder().Timer5().isActive());
        clock.runAll();
        EXPECT_EQ(midi.messages().size(), 3u);  // program change, note on, note off
        stop();
    }
}

TEST_F(Sequences, AFileThatIsNoSequenceIsNamedAndTheRecordingKept)
{
    const QString upper = env.root() + "/TUNE.MUS";
    TempEnvironment::write(upper, "5: 10\r\n");
    const QString noise = env.root() + "/noise.mus";
    TempEnvironment::write(noise, QByteArray("#E.\xe9Lj:\x01\x02\r\n\x80\xff: x\r\n"));
    const QString empty = env.root() + "/empty.mus";
    TempEnvironment::write(empty, "");
    const QString folder = env.root() + "/folder.mus";
    QDir().mkpath(folder);
    const QString missing = env.root() + "/missing.mus";
    for (const QString& file : {upper, noise, empty, folder, missing}) {
        TempEnvironment::write(logPath(), "7: 1\r\n");
        MessageBoxes boxes;
        start(nullptr, {file.toStdString()});
        ASSERT_EQ(boxes.shown.size(), 1) << file.toStdString();
        EXPECT_TRUE(boxes.shown[0].startsWith("velorin|Cannot open " + file + ": ")) << boxes.shown[0].toStdString();
        EXPECT_EQ(TempEnvironment::read(logPath()), "7: 1\r\n");
        EXPECT_FALSE(form->recorder().Timer5().isActive());
        EXPECT_EQ(form->windowTitle(), "Velorin Piano - 127 Tones");
        stop();
    }

    // Started with such a file, the window is on the screen first, and the message shows over it.
    settings = std::make_unique<IniSettingsStore>(env.settingsStoreFile());
    form = std::make_unique<Form1>(Form1Services{midi, *settings, files, clock, socket, Paths::fromEnvironment()});
    QString told;
    bool overTheShownWindow = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            told = box->text();
            overTheShownWindow = box->parentWidget() == form.get() && form->isVisible();
            box->accept();
        }
    });
    watch.start(5);
    form->startUp({missing.toStdString()});
    QTest::qWait(50);
    EXPECT_EQ(told, "");
    form->show();
    ASSERT_EVENTUALLY(!told.isEmpty(), 5000);
    EXPECT_EQ(told, "Cannot open " + missing + ": no such file");
    EXPECT_TRUE(overTheShownWindow);
    stop();
}

TEST_F(Sequences, AMidiFileLoadsOnItsOwnAsTheTakeAndAnythingElseNamedSoIsRefusedWithItsReason)
{
    start();
    TempEnvironment::write(logPath(), "0: 1\r\n");
    const QString takeFile = env.midiFolder() + "/take.mid";
    MessageBoxes boxes;

    const QString bad = env.root() + "/notes.mid";
    TempEnvironment::write(bad, "12: 34\r\nS: 7\r\n");
    answer(bad);
    form->sequences().load();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown.front(), "velorin|Could not load " + bad +
                                        ": it is not a Standard MIDI File: it does not begin with \"MThd\"");
    EXPECT_EQ(TempEnvironment::read(logPath()), "0: 1\r\n");
    EXPECT_FALSE(QFile::exists(takeFile));

    // Another program's file: a chord of C and E with their own velocities.
    const QString good = env.root() + "/chord.mid";
    TempEnvironment::write(good, QByteArray::fromStdString(StandardMidiFile::formatZero(
                                     {{0, {0x90, 60, 0x50}}, {0, {0x90, 64, 0x30}}, {800, {0x80, 60, 0}}, {800, {0x80, 64, 0}}})));
    answer(good);
    midi.clear();
    form->sequences().load();
    EXPECT_EQ(boxes.shown.size(), 1);
    EXPECT_FALSE(QFile::exists(logPath()));  // the take is the recording now
    EXPECT_EQ(TempEnvironment::read(takeFile), TempEnvironment::read(good));
    ASSERT_TRUE(form->take().playing());
    ASSERT_TRUE(clock.runNext());
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x503C90, 0x304090}));
    EXPECT_TRUE(form->controls().key[0]->shownPressed());
    EXPECT_TRUE(form->controls().key[4]->shownPressed());
    // The log's replay waits for the take.
    TempEnvironment::write(logPath(), "0: 1\r\n");
    form->controls().mnuReplaymid->trigger();
    EXPECT_FALSE(form->recorder().player().running());
    clock.runAll();
    EXPECT_FALSE(form->take().playing());
    EXPECT_FALSE(form->controls().key[0]->shownPressed());
    EXPECT_EQ(midi.messages().at(2), 0x3C80u);
    EXPECT_EQ(midi.messages().at(3), 0x4080u);
    // The caption said what played only while it played.
    EXPECT_NE(form->windowTitle(), "Playing the take");

    // Named on the command line, the file plays as Load plays it.
    stop();
    QFile::remove(takeFile);
    start(nullptr, {good.toStdString()});
    EXPECT_EQ(boxes.shown.size(), 1);
    ASSERT_EVENTUALLY(form->take().playing(), 2000);
    EXPECT_EQ(form->windowTitle(), "Playing the take");
    clock.runAll();
    EXPECT_EQ(TempEnvironment::read(takeFile), TempEnvironment::read(good));
    EXPECT_NE(form->windowTitle(), "Playing the take");
}
