// The whole road from NoteOn to the loudspeaker, with the real synthesizer
// writing its output to a WAV file.
#include "support/Form1Fixture.h"

#include "platform/FluidSynthOut.h"
#include "platform/LazyMidiPorts.h"
#include "platform/SystemMidiOut.h"
#include "support/WavFile.h"

#include <QElapsedTimer>
#include <QTest>

TEST_F(Form1Test, SoundingAKeyThroughTheBuiltInSynthesizerWritesSound)
{
    const QString wavPath = env.root() + QStringLiteral("/form.wav");
    TempEnvironment::write(env.settingsStoreFile(),
                           QByteArray("[synth]\naudio-driver=file\nsoundfont=/usr/share/sounds/sf2/TimGM6mb.sf2\n"
                                      "audio-file=") + wavPath.toUtf8() + "\n");
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    IniSettingsStore store(env.settingsStoreFile());
    // The built-in synthesizer wants no MIDI ports: their library is never opened.
    LazyMidiPorts ports("/nonexistent/velorin-midi.so");
    SystemMidiOut out(store, ports);
    QElapsedTimer clock;
    clock.start();
    Form1& w = start(&out);
    ASSERT_EQ(w.windowTitle(), "Velorin Piano - 127 Tones");
    auto* synth = dynamic_cast<FluidSynthOut*>(out.current());
    ASSERT_NE(synth, nullptr);
    ASSERT_TRUE(synth->waitUntilLoaded());
    QTest::qWait(800);
    const double noteOnAt = clock.elapsed() / 1000.0;
    w.NoteOn(12);
    QTest::qWait(600);
    w.NoteOff(12);
    QTest::qWait(100);
    stop();
    const WavFile wav = WavFile::read(wavPath);
    ASSERT_GT(wav.seconds(), noteOnAt);
    // The file driver keeps its own time; on a busy machine it may run up to
    // a few tenths of a second behind the wall clock, so the windows leave room.
    EXPECT_LT(wav.rms(0.0, noteOnAt - 0.6), 0.0005);
    EXPECT_GT(wav.rms(noteOnAt - 0.5, noteOnAt + 1.0), 0.004);
}
