// Killing Velorin while it saves never leaves a file empty or torn: it is
// always the old content or the new one.
#include "support/TempEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

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
        // QProcess signals only its own child, and only while it runs.
        saver.kill();
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
    QFile built(QStringLiteral(CARRIED_PROGRAM));  // as the updater carries it
    ASSERT_TRUE(built.open(QIODevice::ReadOnly));
    const QByteArray program = built.readAll();
    const QString installed = env.midiFolder() + "/velorin";
    const QString settings = env.midiFolder() + "/instruments.ini";
    // The updater is killed the moment a temporary file shows up beside the
    // files it installs, that is while it writes. A fast machine may finish
    // a round first; the rounds go on until enough kills landed mid-write.
    const auto writing = [&] {
        const QStringList names = QDir(env.midiFolder()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : names)
            if (name != "velorin" && name != "instruments.ini")
                return true;
        return false;
    };
    int killedWhileWriting = 0;
    for (int round = 0; round < 200 && killedWhileWriting < 10; ++round) {
        QDir(env.midiFolder()).removeRecursively();
        if (round % 2)  // half the time over an older install
            TempEnvironment::write(installed, "old program");
        QProcess update;
        update.start(QStringLiteral(UPDATE_PROGRAM), {});
        ASSERT_TRUE(update.waitForStarted());
        bool sawTemporary = false;
        while (!update.waitForFinished(0) && update.state() == QProcess::Running) {
            if (writing()) {
                sawTemporary = true;
                update.kill();
                break;
            }
            QThread::usleep(100);
        }
        update.waitForFinished();
        if (sawTemporary && update.exitStatus() == QProcess::CrashExit)
            ++killedWhileWriting;
        const QByteArray now = TempEnvironment::read(installed);
        EXPECT_TRUE(now.isEmpty() || now == "old program" || now == program) << "round " << round << ": "
                                                                              << now.size() << " bytes";
        const QByteArray s = TempEnvironment::read(settings);
        EXPECT_TRUE(s.isEmpty() || s == "0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n") << "round " << round;
    }
    EXPECT_GT(killedWhileWriting, 0) << "the updater always finished before it could be killed";
}
