// Killing Velorin while it saves never leaves a file empty or torn: it is
// always the old content or the new one.
#include "support/TempEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {
void killWhileSaving(const char* mode, const QString& file, const QList<QByteArray>& allowed)
{
    TempEnvironment env;
    const QString path = env.midiFolder() + "/" + file;
    for (int round = 0; round < 25; ++round) {
        QProcess saver;
        saver.start(QStringLiteral(SAVE_LOOP), {QString::fromLatin1(mode)});
        ASSERT_TRUE(saver.waitForReadyRead(10000)) << "the saver did not start";
        QTest::qWait(static_cast<int>(QRandomGenerator::global()->bounded(5, 120)));
        ::kill(static_cast<pid_t>(saver.processId()), SIGKILL);
        saver.waitForFinished();
        // Before the first save there is no file at all: that is the old content too.
        const QByteArray content = TempEnvironment::read(path);
        ASSERT_TRUE(allowed.contains(content)) << mode << " round " << round << ": " << content.left(80).toStdString();
    }
}
}  // namespace

TEST(Durability, KeyboardSettingsSurviveAKill)
{
    killWhileSaving("settings", "instruments.ini",
                    {"0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n", "3\r\n48\r\n2\r\n10\r\n250\r\n20\r\n", ""});
}

TEST(Durability, SkinColoursSurviveAKill)
{
    killWhileSaving("skin", "skincolor.ini", {" 255 \r\n 16711680 \r\n", " 65280 \r\n 8421504 \r\n", ""});
}

TEST(Durability, UserColoursSurviveAKill)
{
    QByteArray a, b;
    for (int i = 0; i < 225; ++i) {
        a += " 1193046 \r\n";
        b += " 6636321 \r\n";
    }
    killWhileSaving("usercolours", "usercolors.cps", {a, b, ""});
}

TEST(Durability, TheUpdaterLeavesWholeFilesWhenKilled)
{
    TempEnvironment env;
    QFile built(QStringLiteral(VELORIN_PROGRAM));
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    const QByteArray program = built.readAll();
    const QString installed = env.midiFolder() + "/velorin";
    const QString settings = env.midiFolder() + "/instruments.ini";
    for (int round = 0; round < 25; ++round) {
        QDir(env.midiFolder()).removeRecursively();
        if (round % 2)  // half the time over an older install
            TempEnvironment::write(installed, "old program");
        QProcess update;
        update.start(QStringLiteral(UPDATE_PROGRAM), {});
        ASSERT_TRUE(update.waitForStarted());
        QTest::qWait(static_cast<int>(QRandomGenerator::global()->bounded(0, 40)));
        ::kill(static_cast<pid_t>(update.processId()), SIGKILL);
        update.waitForFinished();
        const QByteArray now = TempEnvironment::read(installed);
        EXPECT_TRUE(now.isEmpty() || now == "old program" || now == program) << "round " << round << ": "
                                                                              << now.size() << " bytes";
        const QByteArray s = TempEnvironment::read(settings);
        EXPECT_TRUE(s.isEmpty() || s == "0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n") << "round " << round;
    }
}
