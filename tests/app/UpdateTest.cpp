// The updater, run as a user runs it.
#include "support/TempEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {
const QByteArray defaultSettings = "0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n";

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Outcome runUpdate(const std::function<void()>& inChild = {}, const QStringList& arguments = {})
{
    QProcess update;
    if (inChild)
        update.setChildProcessModifier(inChild);
    update.start(QStringLiteral(UPDATE_PROGRAM), arguments);
    EXPECT_TRUE(update.waitForFinished(30000));
    return {update.exitStatus() == QProcess::NormalExit ? update.exitCode() : -1, update.readAllStandardOutput(),
            update.readAllStandardError()};
}

// The built program as the updater carries it: stripped of its debugging sections.
QByteArray builtProgram()
{
    return TempEnvironment::read(QStringLiteral(CARRIED_PROGRAM));
}

class Update : public testing::Test {
protected:
    TempEnvironment env;
    QString folder() const { return env.midiFolder(); }
    QStringList files() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};
}  // namespace

TEST_F(Update, InstallsTheBuiltProgramAndTheDefaultSettings)
{
    const Outcome run = runUpdate();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(files(), (QStringList{"instruments.ini", "velorin"}));
    EXPECT_EQ(TempEnvironment::read(folder() + "/velorin"), builtProgram());  // byte for byte, nothing added
    EXPECT_TRUE(QFileInfo(folder() + "/velorin").isExecutable());
    EXPECT_EQ(TempEnvironment::read(folder() + "/instruments.ini"), defaultSettings);
    // The stripped copy is a working program, a small one.
    EXPECT_LT(builtProgram().size(), TempEnvironment::read(QStringLiteral(VELORIN_PROGRAM)).size() / 2);
    QProcess copy;
    copy.start(folder() + "/velorin", {QStringLiteral("--version")});
    ASSERT_TRUE(copy.waitForFinished(10000));
    EXPECT_EQ(copy.exitCode(), 0);
    EXPECT_TRUE(copy.readAllStandardOutput().startsWith("velorin 1."));

    // Twice gives the same files, and settings the user changed go back to the defaults.
    TempEnvironment::write(folder() + "/instruments.ini", "3\r\n48\r\n2\r\n");
    EXPECT_EQ(runUpdate().exitCode, 0);
    EXPECT_EQ(files(), (QStringList{"instruments.ini", "velorin"}));
    EXPECT_EQ(TempEnvironment::read(folder() + "/velorin"), builtProgram());
    EXPECT_EQ(TempEnvironment::read(folder() + "/instruments.ini"), defaultSettings);
}

TEST_F(Update, TheCommandLineIsAnsweredBeforeAnythingIsWritten)
{
    ASSERT_TRUE(QDir(env.root() + "/data").removeRecursively());
    const Outcome help = runUpdate({}, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: update [--copy]\n")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("package manager"));
    const Outcome version = runUpdate({}, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("update 1.")) << version.out.toStdString();
    for (const QStringList& wrong : {QStringList{"--bogus"}, QStringList{"--copy", "-x"}, QStringList{"somewhere"}}) {
        const Outcome run = runUpdate({}, wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("'" + wrong.last().toUtf8() + "'")) << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith("Try 'update --help' for more information.\n"));
    }
    EXPECT_FALSE(QFileInfo::exists(env.root() + "/data"));
    // A build's updater copies, with --copy as without.
    EXPECT_EQ(runUpdate({}, {"--copy"}).exitCode, 0);
    EXPECT_EQ(files(), (QStringList{"instruments.ini", "velorin"}));
}

TEST_F(Update, MakesTheMidiFolderWhenThereIsNone)
{
    ASSERT_TRUE(QDir(env.root() + "/data").removeRecursively());
    EXPECT_EQ(runUpdate().exitCode, 0);
    EXPECT_EQ(files(), (QStringList{"instruments.ini", "velorin"}));
}

TEST_F(Update, AFolderThatCannotBeMadeIsReportedOnOneLine)
{
    // The data folder is a file: no folder can be made below it, whoever runs the updater.
    ASSERT_TRUE(QDir(env.root() + "/data").removeRecursively());
    TempEnvironment::write(env.root() + "/data", "not a folder");
    const Outcome run = runUpdate();
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith("update: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(folder().toUtf8()));
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_TRUE(run.err.endsWith('\n'));
}

TEST_F(Update, AFileThatCannotBeWrittenWholeKeepsTheOldOneAndFails)
{
    TempEnvironment::write(folder() + "/velorin", "the old program");
    // The disk takes 64 KiB a file: the program does not fit, the settings do.
    const Outcome run = runUpdate([] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_TRUE(run.err.startsWith("update: cannot write " + folder().toUtf8() + "/velorin")) << run.err.toStdString();
    EXPECT_EQ(TempEnvironment::read(folder() + "/velorin"), "the old program");
    EXPECT_EQ(TempEnvironment::read(folder() + "/instruments.ini"), defaultSettings);
    EXPECT_EQ(files(), (QStringList{"instruments.ini", "velorin"}));  // no half-written leftovers
}

TEST_F(Update, TheInstalledProgramRunsAndOpensSequenceFilesFromItsPlace)
{
    ASSERT_EQ(runUpdate().exitCode, 0);
    TempEnvironment::write(env.settingsStoreFile(), "[synth]\naudio-driver=no-such-driver\n");
    QProcess velorin;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    velorin.setProcessEnvironment(e);
    velorin.start(folder() + "/velorin", {});
    ASSERT_TRUE(velorin.waitForStarted());
    EXPECT_FALSE(velorin.waitForFinished(2000));  // still running
    const QByteArray entry = TempEnvironment::read(env.root() + "/data/applications/velorin.desktop");
    EXPECT_TRUE(entry.contains("\nExec=" + folder().toUtf8() + "/velorin %f\n")) << entry.toStdString();
    velorin.terminate();
    EXPECT_TRUE(velorin.waitForFinished(5000));
    EXPECT_EQ(velorin.exitCode(), 0);
}

TEST_F(Update, TheInstalledProgramFindsItsSynthesizer)
{
    // The copy in the midi folder has no library beside it: it opens the one
    // of an installation the desktop knows, else that of the build it came from.
    ASSERT_EQ(runUpdate().exitCode, 0);
    const QString wav = env.root() + "/copy.wav";
    TempEnvironment::write(env.settingsStoreFile(), "[synth]\naudio-driver=file\naudio-file=" + wav.toUtf8() +
                                                        "\nsoundfont=/usr/share/sounds/sf2/TimGM6mb.sf2\n");
    QProcess velorin;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    velorin.setProcessEnvironment(e);
    velorin.setProcessChannelMode(QProcess::MergedChannels);
    velorin.start(folder() + "/velorin", {});
    ASSERT_TRUE(velorin.waitForStarted());
    QByteArray log;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            log += velorin.readAll();
            return log.contains("SoundFont loaded");
        },
        20000))
        << log.toStdString();
    EXPECT_TRUE(QFileInfo::exists(wav));
    velorin.terminate();
    EXPECT_TRUE(velorin.waitForFinished(5000));
}
