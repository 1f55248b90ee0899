// The built-in synthesizer, for real: FluidSynth renders through its file
// driver into a WAV that the test then reads.
#include "support/Eventually.h"
#include "platform/FluidSynthOut.h"
#include "platform/IniSettingsStore.h"
#include "platform/LazyMidiPorts.h"
#include "platform/SystemMidiOut.h"
#include "support/TempEnvironment.h"
#include "support/WavFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// The small General MIDI SoundFont keeps these tests quick.
const char* const smallSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The synthesizer's library, built beside the tests.
std::string synthLibrary()
{
    return (QCoreApplication::applicationDirPath() + QStringLiteral("/synth/velorin-synth.so")).toStdString();
}

FluidSynthOut::Options fileOptions(const QString& wav)
{
    FluidSynthOut::Options o;
    o.soundFont = smallSoundFont;
    o.audioDriver = "file";
    o.audioFile = wav.toStdString();
    o.library = synthLibrary();
    return o;
}
}  // namespace

TEST(Synth, ANoteSoundsInItsTimeWindowAndNotBefore)
{
    TempEnvironment env;
    const QString wavPath = env.root() + QStringLiteral("/out.wav");
    QElapsedTimer clock;
    {
        FluidSynthOut synth(fileOptions(wavPath));
        ASSERT_EQ(synth.open(-1), 0);
        clock.start();
        ASSERT_TRUE(synth.waitUntilLoaded());
        EXPECT_EQ(synth.audioDriverInUse(), "file");
        QTest::qWait(800);
        const double noteOnAt = clock.elapsed() / 1000.0;
        synth.shortMsg(0x00C0);     // piano
        synth.shortMsg(0x7F3C90);   // middle C on
        QTest::qWait(500);
        synth.shortMsg(0x3C80);
        QTest::qWait(100);
        synth.close();
        const WavFile wav = WavFile::read(wavPath);
        ASSERT_EQ(wav.sampleRate, 44100);
        ASSERT_GT(wav.seconds(), noteOnAt);
        // The file driver keeps its own time and may lag the wall clock on a busy machine.
        EXPECT_LT(wav.rms(0.0, noteOnAt - 0.6), 0.0005);
        // The file driver runs on its own clock: allow for its start-up slack.
        EXPECT_GT(wav.rms(noteOnAt - 0.5, noteOnAt + 1.0), 0.004);
    }
}

TEST(Synth, WhatIsSentBeforeTheSoundFontIsInPlaysOnceItIs)
{
    TempEnvironment env;
    const QString wavPath = env.root() + QStringLiteral("/early.wav");
    FluidSynthOut synth(fileOptions(wavPath));
    ASSERT_EQ(synth.open(-1), 0);
    synth.shortMsg(0x13C0);     // marimba, sent at once
    synth.shortMsg(0x7F4890);   // and a note
    ASSERT_TRUE(synth.waitUntilLoaded());
    QTest::qWait(600);
    synth.close();
    const WavFile wav = WavFile::read(wavPath);
    EXPECT_GT(wav.rms(0.0, wav.seconds()), 0.005);
}

namespace {
bool fluidSynthLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libfluidsynth");
}
}  // namespace

TEST(Synth, AHeldSynthesizerLoadsNothingUntilReleasedAndLosesNoKey)
{
    TempEnvironment env;
    const QString wavPath = env.root() + QStringLiteral("/held.wav");
    auto options = fileOptions(wavPath);
    options.held = true;
    FluidSynthOut synth(options);
    ASSERT_EQ(synth.open(-1), 0);
    QElapsedTimer clock;
    clock.start();
    // A key struck and let go while the window is still coming up.
    QTest::qWait(100);
    synth.shortMsg(0x13C0);    // church organ: it sounds exactly while held
    synth.shortMsg(0x7F3C90);
    const double on = clock.elapsed() / 1000.0;
    QTest::qWait(300);
    synth.shortMsg(0x3C80);
    const double off = clock.elapsed() / 1000.0;
    EXPECT_FALSE(fluidSynthLoaded());
    EXPECT_FALSE(QFileInfo::exists(wavPath));
    synth.release();
    ASSERT_TRUE(synth.waitUntilLoaded());
    EXPECT_TRUE(fluidSynthLoaded());
    QTest::qWait(400);
    synth.close();
    const WavFile wav = WavFile::read(wavPath);
    // Heard, at its time and for as long as it was held.
    EXPECT_LT(wav.rms(0.0, on - 0.05), 0.0005);
    EXPECT_GT(wav.rms(on + 0.03, off - 0.03), 0.004);
    EXPECT_LT(wav.rms(off + 0.3, wav.seconds()), 0.0005);
}

TEST(Synth, NoSoundFontOrNoAudioMeansTheDeviceIsNotReady)
{
    TempEnvironment env;
    // Known at once: no SoundFont, no synthesizer library.
    auto missing = fileOptions(env.root() + QStringLiteral("/x.wav"));
    missing.soundFont = (env.root() + QStringLiteral("/none.sf2")).toStdString();
    EXPECT_NE(FluidSynthOut(missing).open(-1), 0);
    auto noLibrary = fileOptions(env.root() + QStringLiteral("/x.wav"));
    noLibrary.library = (env.root() + QStringLiteral("/none.so")).toStdString();
    EXPECT_NE(FluidSynthOut(noLibrary).open(-1), 0);

    // Known once the library has tried: the audio does not open.
    auto noDriver = fileOptions(env.root() + QStringLiteral("/x.wav"));
    noDriver.audioDriver = "no-such-driver";
    FluidSynthOut synth(noDriver);
    bool reported = false;
    synth.setLateFailureHandler([&] { reported = true; });
    EXPECT_EQ(synth.open(-1), 0);
    synth.shortMsg(0x7F3C90);  // lost, silently
    EXPECT_FALSE(synth.waitUntilLoaded());
    ASSERT_EVENTUALLY(reported, 2000);
    synth.shortMsg(0x7F3C90);
}

TEST(Synth, ABrokenSoundFontIsReportedLateOnTheOpeningThread)
{
    TempEnvironment env;
    const QString broken = env.root() + QStringLiteral("/broken.sf2");
    TempEnvironment::write(broken, QByteArray("RIFF\x10\0\0\0sfbkjunkjunkjunk", 20));
    auto options = fileOptions(env.root() + QStringLiteral("/x.wav"));
    options.soundFont = broken.toStdString();
    FluidSynthOut synth(options);
    bool reported = false;
    synth.setLateFailureHandler([&] { reported = true; });
    ASSERT_EQ(synth.open(-1), 0);
    EXPECT_FALSE(synth.waitUntilLoaded());
    EXPECT_FALSE(reported);  // not from the loading thread
    ASSERT_EVENTUALLY(reported, 2000);
    EXPECT_TRUE(reported);
    synth.shortMsg(0x7F3C90);
}

TEST(SystemMidiOut, TheSettingsChooseTheOutput)
{
    TempEnvironment env;
    IniSettingsStore store(env.settingsStoreFile());
    store.setValue("synth", "audio-driver", "file");
    store.setValue("synth", "audio-file", (env.root() + QStringLiteral("/s.wav")).toStdString());
    store.setValue("synth", "soundfont", smallSoundFont);
    // The ports' library as the program opens it, beside the program.
    LazyMidiPorts ports((QCoreApplication::applicationDirPath() + QStringLiteral("/midi/velorin-midi.so")).toStdString());
    SystemMidiOut out(store, ports);
    ASSERT_EQ(out.open(-1), 0);
    EXPECT_NE(dynamic_cast<FluidSynthOut*>(out.current()), nullptr);
    out.close();
    // The built-in synthesizer alone never loads the MIDI ports.
    EXPECT_FALSE(ports.isLoaded());

    store.setValue("synth", "soundfont", (env.root() + QStringLiteral("/none.sf2")).toStdString());
    EXPECT_NE(out.open(-1), 0);
    EXPECT_EQ(out.current(), nullptr);

    // A named port that is not there (this machine may have no MIDI system at all).
    store.setValue("midi", "output", "No Such Port");
    EXPECT_NE(out.open(-1), 0);
    EXPECT_TRUE(ports.isLoaded());
    out.shortMsg(0x7F3C90);
    EXPECT_NE(out.open(4000), 0);

    // Without the library there are no ports: the output does not open
    // (the built-in synthesizer plays without it: Form1Test's sound test).
    LazyMidiPorts missing("/nonexistent/velorin-midi.so");
    SystemMidiOut without(store, missing);
    EXPECT_NE(without.open(-1), 0);
    EXPECT_EQ(without.current(), nullptr);
    without.shortMsg(0x7F3C90);
}
