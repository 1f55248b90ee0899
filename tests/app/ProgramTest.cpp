// The built program, started as a user starts it.
#include "support/Eventually.h"
#include "support/TempEnvironment.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {
QProcessEnvironment programEnvironment()
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return e;
}
}  // namespace

TEST(Program, ASecondInstanceEndsSilentlyOrHandsItsFileOver)
{
    TempEnvironment env;
    TempEnvironment::write(env.settingsStoreFile(), "[synth]\naudio-driver=no-such-driver\n");
    QProcess first;
    first.setProcessEnvironment(programEnvironment());
    first.start(QStringLiteral(VELORIN_PROGRAM), {});
    ASSERT_TRUE(first.waitForStarted());
    QTest::qWait(1500);
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(programEnvironment());
    second.start(QStringLiteral(VELORIN_PROGRAM), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // One with a file hands it to the first, which makes it the recording, and ends.
    const QString tune = env.root() + "/tune.mus";
    TempEnvironment::write(tune, "3: 10\r\n");
    QProcess third;
    third.setProcessEnvironment(programEnvironment());
    third.setWorkingDirectory(env.root());
    third.start(QStringLiteral(VELORIN_PROGRAM), {QStringLiteral("tune.mus")});
    ASSERT_TRUE(third.waitForFinished(10000));
    EXPECT_EQ(third.exitCode(), 0);
    ASSERT_EVENTUALLY_EQ(TempEnvironment::read(env.midiFolder() + "/piano.ini"), QByteArray("3: 10\r\n"), 5000);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    first.waitForFinished(5000);
}

TEST(Program, StartsAfterAnInstanceWasKilled)
{
    TempEnvironment env;
    TempEnvironment::write(env.settingsStoreFile(), "[synth]\naudio-driver=no-such-driver\n");
    QProcess killed;
    killed.setProcessEnvironment(programEnvironment());
    killed.start(QStringLiteral(VELORIN_PROGRAM), {});
    ASSERT_TRUE(killed.waitForStarted());
    QTest::qWait(1000);
    killed.kill();
    killed.waitForFinished();

    QProcess next;
    next.setProcessEnvironment(programEnvironment());
    next.start(QStringLiteral(VELORIN_PROGRAM), {});
    ASSERT_TRUE(next.waitForStarted());
    EXPECT_FALSE(next.waitForFinished(1500));  // still running: it took the lock over
    next.terminate();
    next.waitForFinished(5000);
}
