// MIDI keyboards and MIDI ports for real, under a private JACK server on the
// dummy driver: a source port written here on RtMidi plays into Velorin's
// input port, and Velorin's output plays into Debian's jack_midi_dump.
#include "support/Form1Fixture.h"

#include "ui/keyboard/PianoKey.h"
#include "platform/JackMidiPorts.h"
#include "platform/JackWatch.h"
#include "platform/QueuedMidiIn.h"
#include "platform/RtMidiPortIn.h"
#include "platform/SystemMidiOut.h"
#include "ui/take/TakeControls.h"
#include "logic/take/TakeTee.h"
#include "support/JackServer.h"
#include "support/WavFile.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QScrollBar>
#include <QTest>

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {
// A MIDI keyboard as JACK shows one: a client with one source port "out".
class Keyboard {
public:
    explicit Keyboard(const std::string& client) : port_(RtMidi::UNIX_JACK, client)
    {
        port_.openVirtualPort("out");
    }
    void send(std::initializer_list<unsigned char> bytes)
    {
        const std::vector<unsigned char> message(bytes);
        port_.sendMessage(&message);
    }

private:
    RtMidiOut port_;
};

class JackMidi : public Form1Test {
protected:
    void SetUp() override { ASSERT_TRUE(jack.isRunning()) << "jackd did not start"; }

    // Velorin's input, as the program wires it, listening for a source.
    void listen(const std::string& source)
    {
        port = std::make_unique<RtMidiPortIn>(source, watch);
        queued = std::make_unique<QueuedMidiIn>(*port);
        form->connectMidiInput(*queued);
        port->start();
    }
    void TearDown() override
    {
        if (form)
            stop();
        queued.reset();
        port.reset();
    }
    // Plays a message until Velorin's output shows what it should: a busy
    // JACK server drops the events of a cycle its clients missed, as it
    // would a keyboard's. Sent twice, each of these messages does no more
    // than once.
    bool play(Keyboard& keyboard, std::initializer_list<unsigned char> bytes, std::uint32_t expected)
    {
        for (int attempt = 0; attempt < 10; ++attempt) {
            keyboard.send(bytes);
            if (QTest::qWaitFor([&] { return contains(expected); }, 1000))
                return true;
        }
        return false;
    }
    bool contains(std::uint32_t message) const
    {
        const auto& m = midi.messages();
        return std::find(m.begin(), m.end(), message) != m.end();
    }
    QByteArray log() const { return TempEnvironment::read(env.midiFolder() + "/piano.ini"); }

    // Until Velorin's port has the key down and up again: a busy server
    // drops the events of a cycle its clients missed.
    bool keyPlays(Keyboard& keyboard, int key)
    {
        const auto note = static_cast<unsigned char>(form->baseNote + key);
        for (bool down : {true, false}) {
            bool done = false;
            for (int attempt = 0; attempt < 10 && !done; ++attempt) {
                keyboard.send({static_cast<unsigned char>(down ? 0x90 : 0x80), note, 100});
                done = QTest::qWaitFor([&] { return form->isHeldByMidi(key) == down; }, 1000);
            }
            if (!done)
                return false;
        }
        return true;
    }
    // Until jack_midi_dump shows the note of an on-screen key pressed here.
    bool dumpShows(QProcess& dump, int key, const QByteArray& text)
    {
        for (int attempt = 0; attempt < 10; ++attempt) {
            form->input().mouseDown(key);
            const bool shown = QTest::qWaitFor([&] { return dump.peek(1 << 16).contains(text); }, 1000);
            form->input().mouseUp(key);
            if (shown)
                return true;
        }
        return false;
    }
    bool startDump(QProcess& dump)
    {
        JackServer::endWithThisProcess(dump);
        dump.start(QStringLiteral("jack_midi_dump"), {});
        return dump.waitForStarted() && jack.waitForPort("midi-monitor:input");
    }
    // Interrupted, it leaves the server as a client should; a client that is
    // killed keeps the server waiting for it at its own end.
    static bool endDump(QProcess& dump)
    {
        if (dump.state() == QProcess::Running && dump.processId() > 0)
            ::kill(static_cast<pid_t>(dump.processId()), SIGINT);
        return dump.waitForFinished(10000);
    }
    QString notice() const
    {
        const QLabel* line = form->controls().midiNotice;
        return line->isHidden() ? QString() : line->text();
    }

    // Sends a message, then a controller as a marker behind it, until the
    // marker comes out of Velorin: a busy server drops the events of a cycle
    // a client missed. Sent twice, a note-on or note-off leaves the same
    // held notes as sent once.
    bool deliver(Keyboard& keyboard, std::initializer_list<unsigned char> bytes)
    {
        const auto value = static_cast<unsigned char>(marker_++ % 128);
        const std::uint32_t passed = 0xB0u | static_cast<std::uint32_t>(form->midi().midiChannel) | 3u << 8 |
                                     static_cast<std::uint32_t>(value) << 16;
        for (int attempt = 0; attempt < 10; ++attempt) {
            const std::size_t before = midi.messages().size();
            keyboard.send(bytes);
            keyboard.send({0xB0, 3, value});
            if (QTest::qWaitFor(
                    [&] {
                        const auto& m = midi.messages();
                        return std::find(m.begin() + static_cast<long>(before), m.end(), passed) != m.end();
                    },
                    1000))
                return true;
        }
        return false;
    }
    // What went out, heard as a synthesizer hears it: faults are a note-on
    // of a note that sounds already, and at the end a note still sounding.
    std::string unmatchedNotes() const
    {
        std::set<int> sounding;
        std::string faults;
        for (const std::uint32_t m : midi.messages()) {
            const int note = static_cast<int>((m >> 8) & 0x7F);
            if ((m & 0xF0) == 0x90 && (m >> 16) != 0) {
                if (!sounding.insert(note).second)
                    faults += "second note-on of " + std::to_string(note) + "; ";
            } else if ((m & 0xF0) == 0x80 || (m & 0xF0) == 0x90) {
                sounding.erase(note);
            }
        }
        for (const int note : sounding)
            faults += std::to_string(note) + " never ended; ";
        return faults;
    }
    std::vector<int> litKeys() const
    {
        std::vector<int> lit;
        for (int i = 0; i < KeyMap::keyCount; ++i)
            if (form->controls().key[static_cast<std::size_t>(i)]->shownPressed())
                lit.push_back(i);
        return lit;
    }

    int marker_ = 0;
    JackServer jack;
    // After the server, before the ports: it outlives them.
    JackWatch watch;
    std::unique_ptr<RtMidiPortIn> port;
    std::unique_ptr<QueuedMidiIn> queued;
};
}  // namespace

TEST_F(JackMidi, KeysFromASourceSoundAtTheirVelocityAndAreRecorded)
{
    writeKeyboardSettings("3\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");  // channel 3, lowest key C4
    start();
    Keyboard keys("velorin-test-keys");
    listen("velorin-test-keys");
    ASSERT_EQ(port->source(), "velorin-test-keys:out");
    ASSERT_TRUE(jack.waitForConnection("velorin-test-keys:out", "Velorin:Velorin"));
    form->controls().mnuRecord->trigger();
    midi.clear();

    // The source's channel 5 plays on Velorin's channel 3.
    ASSERT_TRUE(play(keys, {0x95, 62, 77}, 0x4D3E93));
    EXPECT_TRUE(form->controls().key[2]->shownPressed());
    EXPECT_TRUE(form->isHeldByMidi(2));
    EXPECT_EQ(form->windowTitle(), "Recording: 2");
    // The window's keyboard going to a dialog leaves the MIDI keyboard's key down.
    form->controls().mnuSet->trigger();
    EXPECT_TRUE(form->controls().key[2]->shownPressed());
    clock.advance(250ms);
    // The base note moves while the key is held; the key-up still stops the
    // note it started, with a plain note-off on the piano too, so that the
    // pianist's key-up and pedal work.
    const auto tap = [this](Qt::Key key) {
        QTest::keyClick(form->focusWidget() ? form->focusWidget() : form.get(), key);
    };
    tap(Qt::Key_PageUp);
    ASSERT_TRUE(play(keys, {0x85, 62, 64}, 0x3E83));
    tap(Qt::Key_PageDown);
    EXPECT_FALSE(form->controls().key[2]->shownPressed());
    EXPECT_FALSE(form->isHeldByMidi(2));
    EXPECT_EQ(log(), "2: 25\r\n");

    // A note-on of velocity 0 is a release too.
    ASSERT_TRUE(play(keys, {0x90, 100, 1}, 0x016493));
    EXPECT_TRUE(form->isHeldByMidi(40));
    clock.advance(100ms);
    ASSERT_TRUE(play(keys, {0x90, 100, 0}, 0x6483));
    EXPECT_TRUE(log().endsWith("\r\n40: 10\r\n")) << log().toStdString();

    // A note without a key sounds, and only that; controllers pass on.
    const QByteArray recorded = log();
    EXPECT_TRUE(play(keys, {0x91, 30, 50}, 0x321E93));
    EXPECT_TRUE(play(keys, {0xB2, 64, 127}, 0x7F40B3));
    EXPECT_TRUE(play(keys, {0xE4, 0, 80}, 0x5000E3));
    EXPECT_TRUE(play(keys, {0x81, 30, 0}, 0x1E83));
    EXPECT_TRUE(play(keys, {0xC7, 40}, 0x28C3));
    EXPECT_EQ(form->controls().HScrollPatch->value(), 40);
    EXPECT_EQ(log(), recorded);

    // The take holds all that went out, in order, after the instrument it
    // began on: velocities, the pedal and the bend as sent, to the millisecond.
    const auto taken = [this] {
        std::vector<std::uint32_t> out;
        for (const TakeEvent& e : form->take().tee().take().events())
            out.push_back(e.message);
        return out;
    };
    const auto at = [this](std::uint32_t message) {
        for (const TakeEvent& e : form->take().tee().take().events())
            if (e.message == message)
                return static_cast<int>(e.ms);
        return -1;
    };
    std::vector<std::uint32_t> sent{0xC3};
    sent.insert(sent.end(), midi.messages().begin(), midi.messages().end());
    EXPECT_EQ(taken(), sent);
    EXPECT_EQ(at(0x3E83) - at(0x4D3E93), 250);
    EXPECT_EQ(at(0x6483) - at(0x016493), 100);
    // Record off leaves nothing held: the pedal goes up.
    form->controls().mnuRecord->trigger();
    const auto all = taken();
    EXPECT_EQ(std::vector<std::uint32_t>(all.begin() + static_cast<long>(sent.size()), all.end()),
              (std::vector<std::uint32_t>{0x40B3}));
    const auto saved = Take::fromMidiFile(TempEnvironment::read(env.midiFolder() + "/take.mid").toStdString());
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, form->take().tee().take().events());
}

TEST_F(JackMidi, ASourceIsFoundWhenItAppearsAndAgainWhenItComesBack)
{
    start();
    listen("velorin-test-late");
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(port->source(), "");
    // The own port is there for a patchbay before any source is.
    EXPECT_TRUE(jack.waitForPort("Velorin:Velorin"));

    for (int round = 0; round < 2; ++round) {
        {
            Keyboard late("velorin-test-late");
            ASSERT_TRUE(QTest::qWaitFor([&] { return !port->source().empty(); }, 10000)) << "round " << round;
            ASSERT_TRUE(jack.waitForConnection("velorin-test-late:out", "Velorin:Velorin"));
            midi.clear();
            EXPECT_TRUE(play(late, {0x90, 60, 64}, 0x403C90)) << "round " << round;  // key 1 of the default base note 59
            EXPECT_TRUE(play(late, {0x80, 60, 0}, 0x3C80));  // a plain note-off, on the piano too
        }
        // Gone: Velorin goes on and looks for it again.
        ASSERT_TRUE(QTest::qWaitFor([&] { return port->source().empty(); }, 10000));
        form->input().mouseDown(5);
        EXPECT_TRUE(contains(0x7F4090));
        form->input().mouseUp(5);
    }
}

TEST_F(JackMidi, TheOutputPlaysIntoAJackPort)
{
    QProcess dump;
    ASSERT_TRUE(startDump(dump));
    TempEnvironment::write(env.settingsStoreFile(), "[midi]\noutput=midi-monitor\n");
    IniSettingsStore outputSettings(env.settingsStoreFile());
    JackMidiPorts ports(watch);
    SystemMidiOut output(outputSettings, ports);
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    start(&output);
    EXPECT_NE(form->windowTitle(), "Velorin - Device not ready");
    ASSERT_TRUE(jack.waitForConnection("midi-monitor:input", "Velorin:Velorin out"));

    // Pressed again while a busy server drops what it sends.
    EXPECT_TRUE(dumpShows(dump, 4, "90 40 7f")) << dump.peek(1 << 16).toStdString();
    stop();
    EXPECT_TRUE(endDump(dump));
}

TEST_F(JackMidi, TheProgramPlaysASourceInItsSynthesizer)
{
    const QString wavPath = env.root() + QStringLiteral("/velorin.wav");
    TempEnvironment::write(env.settingsStoreFile(),
                           "[midi]\ninput=velorin-test-piano\n[synth]\naudio-driver=file\naudio-file=" +
                               wavPath.toLocal8Bit() + "\nsoundfont=/usr/share/sounds/sf2/TimGM6mb.sf2\n");
    Keyboard piano("velorin-test-piano");
    QProcess velorin;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    velorin.setProcessEnvironment(e);
    velorin.setProcessChannelMode(QProcess::MergedChannels);
    JackServer::endWithThisProcess(velorin);
    velorin.start(QStringLiteral(VELORIN_PROGRAM), {});
    ASSERT_TRUE(velorin.waitForStarted());
    ASSERT_TRUE(jack.waitForConnection("velorin-test-piano:out", "Velorin:Velorin"));
    // Notes sent earlier would wait for the SoundFont, and might still be waiting when the program ends.
    ASSERT_TRUE(QTest::qWaitFor([&] { return velorin.peek(1 << 20).contains("SoundFont loaded"); }, 20000))
        << velorin.peek(1 << 20).toStdString();

    // Held for half a second; the press repeated meanwhile, in case a busy
    // server drops it, sounds once (the key shows pressed).
    const qint64 pressedAt = QFileInfo(wavPath).size();
    for (int tenth = 0; tenth < 5; ++tenth) {
        piano.send({0x90, 72, 110});
        QTest::qWait(100);
    }
    // The file is written by a renderer paced by the clock, which on a busy
    // machine falls behind: the key stays down until the file has grown by a
    // quarter of a second or more of sound (200,000 bytes at most formats' rates).
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo(wavPath).size() >= pressedAt + 200000; }, 20000));
    piano.send({0x80, 72, 0});
    velorin.terminate();
    ASSERT_TRUE(velorin.waitForFinished(10000));
    EXPECT_EQ(velorin.exitStatus(), QProcess::NormalExit);

    // Nothing else plays a note: any sound in the file is the source's.
    const WavFile wav = WavFile::read(wavPath);
    double loudest = 0;
    for (double t = 0; t < wav.seconds(); t += 0.1)
        loudest = std::max(loudest, wav.rms(t, t + 0.1));
    EXPECT_GT(loudest, 0.01) << "over " << wav.seconds() << " s\n" << velorin.readAll().toStdString();
}

TEST_F(JackMidi, BothDirectionsComeBackWithTheServerAndTheWindowSaysSo)
{
    QProcess dump;
    ASSERT_TRUE(startDump(dump));
    TempEnvironment::write(env.settingsStoreFile(), "[midi]\noutput=midi-monitor\n");
    IniSettingsStore outputSettings(env.settingsStoreFile());
    JackMidiPorts ports(watch);
    SystemMidiOut output(outputSettings, ports);
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    start(&output);
    const QString caption = form->windowTitle();
    auto keys = std::make_unique<Keyboard>("velorin-test-back");
    listen("velorin-test-back");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !port->source().empty(); }, 10000));
    EXPECT_TRUE(keyPlays(*keys, 2));
    EXPECT_TRUE(dumpShows(dump, 4, "90 40 7f"));
    EXPECT_EQ(notice(), "");

    // The server dies as in a crash. The test's own client of it goes at
    // once: libjack frees every client of a dead server that is still open
    // when the next one opens, and the window's clients must find theirs gone.
    jack.kill();
    keys.reset();
    endDump(dump);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->windowTitle() == "Velorin - Device not ready"; }, 10000));
    EXPECT_TRUE(notice().contains("MIDI in: \"velorin-test-back\" lost")) << notice().toStdString();
    EXPECT_TRUE(notice().contains("MIDI out: \"midi-monitor\" lost")) << notice().toStdString();
    EXPECT_EQ(port->source(), "");
    // Played meanwhile, a key goes nowhere and harms nothing.
    form->input().mouseDown(7);
    form->input().mouseUp(7);

    // Back: the server, its monitor and the keyboard.
    ASSERT_TRUE(jack.start());
    QElapsedTimer sinceBack;
    sinceBack.start();
    QProcess again;
    ASSERT_TRUE(startDump(again));
    // Velorin's clients of the old server are closed before its watch opens one of the new.
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.isUp(); }, 20000));
    keys = std::make_unique<Keyboard>("velorin-test-back");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !port->source().empty(); }, 20000));
    EXPECT_TRUE(keyPlays(*keys, 2));
    std::printf("MIDI input played again %lld ms after the server answered\n",
                static_cast<long long>(sinceBack.elapsed()));
    EXPECT_TRUE(dumpShows(again, 5, "90 41 7f")) << again.peek(1 << 16).toStdString();
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_FALSE(notice().contains("lost")) << notice().toStdString();

    stop();
    EXPECT_TRUE(endDump(again));
}

TEST_F(JackMidi, NotesStruckAgainOrOnTwoChannelsLeaveNoKeyDead)
{
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    start();
    Keyboard keys("velorin-test-overlap");
    listen("velorin-test-overlap");
    ASSERT_TRUE(jack.waitForConnection("velorin-test-overlap:out", "Velorin:Velorin"));

    // Struck again while held, on one channel and on two.
    for (const auto& step : std::vector<std::vector<unsigned char>>{{0x90, 60, 100},
                                                                    {0x90, 60, 90},
                                                                    {0x80, 60, 0},
                                                                    {0x80, 60, 0},
                                                                    {0x90, 62, 100},
                                                                    {0x91, 62, 80},
                                                                    {0x81, 62, 0},
                                                                    {0x90, 62, 0}})
        ASSERT_TRUE(deliver(keys, {step[0], step[1], step[2]}));
    EXPECT_EQ(litKeys(), std::vector<int>{});
    // Each pitch sounds and stops again, from the MIDI keyboard, the mouse
    // and the computer keyboard alike.
    for (const int key : {0, 2}) {
        const auto note = static_cast<unsigned char>(60 + key);
        midi.clear();
        ASSERT_TRUE(deliver(keys, {0x90, note, 100}));
        EXPECT_TRUE(contains(0x640090u | std::uint32_t(note) << 8)) << "key " << key;
        ASSERT_TRUE(deliver(keys, {0x80, note, 0}));
        EXPECT_TRUE(contains(0x80u | std::uint32_t(note) << 8)) << "key " << key;
        midi.clear();
        form->input().mouseDown(key);
        form->input().mouseUp(key);
        QTest::keyClick(form->focusWidget() ? form->focusWidget() : form.get(), key == 0 ? Qt::Key_Z : Qt::Key_X);
        EXPECT_EQ(midi.messages().size(), 4u) << "key " << key;
    }
    EXPECT_EQ(unmatchedNotes(), "");
}

TEST_F(JackMidi, TenNoteChordsAHundredTimesASecondEndEveryNoteTheyStart)
{
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    start();
    Keyboard keys("velorin-test-chords");
    listen("velorin-test-chords");
    ASSERT_TRUE(jack.waitForConnection("velorin-test-chords:out", "Velorin:Velorin"));

    // 10-note chords every 10 ms for 5 s on two channels, pitches drawn at
    // random so that a chord may strike one note twice; each chord is let
    // go as the next is struck. The window takes them meanwhile.
    std::atomic<bool> sent{false};
    std::thread source([&keys, &sent] {
        std::mt19937 random(27);
        std::vector<std::pair<unsigned char, unsigned char>> held;
        auto next = std::chrono::steady_clock::now();
        for (int chord = 0; chord < 500; ++chord) {
            for (const auto& [status, note] : held)
                keys.send({static_cast<unsigned char>(0x80 | (status & 0x0F)), note, 0});
            held.clear();
            for (int n = 0; n < 10; ++n) {
                const auto status = static_cast<unsigned char>(0x90 | (random() % 2));
                const auto note = static_cast<unsigned char>(55 + random() % 50);
                keys.send({status, note, static_cast<unsigned char>(1 + random() % 127)});
                held.emplace_back(status, note);
            }
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
        for (const auto& [status, note] : held)
            keys.send({static_cast<unsigned char>(0x80 | (status & 0x0F)), note, 0});
        sent = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.load(); }, 60000));
    source.join();
    // A busy server may have dropped some of the last note-offs: each note
    // is let go once more, as a pianist lifting every finger would.
    for (int channel = 0; channel < 2; ++channel)
        for (int note = 55; note < 105; ++note)
            ASSERT_TRUE(deliver(keys, {static_cast<unsigned char>(0x80 | channel), static_cast<unsigned char>(note), 0}));

    std::size_t ons = 0;
    for (const std::uint32_t m : midi.messages())
        ons += (m & 0xF0) == 0x90 && (m >> 16) != 0;
    std::printf("%zu note-ons went out for 5000 sent\n", ons);
    EXPECT_GT(ons, 0u);
    EXPECT_EQ(unmatchedNotes(), "");
    EXPECT_EQ(litKeys(), std::vector<int>{});
    EXPECT_TRUE(form->piano().holds().empty());
}
