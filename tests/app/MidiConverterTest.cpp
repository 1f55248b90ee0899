// The converter, run as the program starts it: no arguments, everything from the midi folder.
#include "support/MidiFileReader.h"
#include "support/TempEnvironment.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {
struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Outcome runConverter()
{
    QProcess converter;
    converter.start(QStringLiteral(MIDICONV_PROGRAM), {});
    EXPECT_TRUE(converter.waitForFinished(30000));
    return {converter.exitStatus() == QProcess::NormalExit ? converter.exitCode() : -1,
            converter.readAllStandardOutput(), converter.readAllStandardError()};
}

using Bytes = std::vector<std::uint8_t>;
}  // namespace

TEST(MidiConverter, WritesTheRecordingAsAMidiFileBesideIt)
{
    TempEnvironment env;
    TempEnvironment::write(env.midiFolder() + "/instruments.ini", "2\r\n48\r\n1\r\n0\r\n100\r\n10\r\n");
    TempEnvironment::write(env.settingsStoreFile(), "[instru]\ninstru=40\n");
    TempEnvironment::write(env.midiFolder() + "/piano.ini", "0: 9\r\nS: 4\r\n-1: 2\r\nnoise\r\n4: 19\r\n");

    const Outcome run = runConverter();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    const QString written = env.midiFolder() + "/piano.mid";
    EXPECT_EQ(run.out, written.toUtf8() + "\n");

    const auto file = MidiFileReader::read(TempEnvironment::read(written).toStdString());
    ASSERT_TRUE(file);
    // Channel and base note from instruments.ini, the instrument from the
    // settings store; each count 10 ms, plus the default delay of 10 ms a step.
    const auto m = file->channelMessages();
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0].bytes, (Bytes{0xC2, 40}));
    EXPECT_EQ(m[3].bytes, (Bytes{0x92, 52, 127}));
    EXPECT_EQ(m[3].tick, 100 + 50 + 30);
    EXPECT_EQ(m[4].tick, 180 + 200);
}

TEST(MidiConverter, WithoutARecordingItSaysSoAndWritesNothing)
{
    TempEnvironment env;
    Outcome run = runConverter();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.startsWith("midiconv1: cannot read the recording " + env.midiFolder().toUtf8() +
                                   "/piano.ini"));
    EXPECT_EQ(run.err.count('\n'), 1);

    // A log that is not a file cannot be read either.
    QDir().mkpath(env.midiFolder() + "/piano.ini");
    run = runConverter();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(QFile::exists(env.midiFolder() + "/piano.mid"));
}
