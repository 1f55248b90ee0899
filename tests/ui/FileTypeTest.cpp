#include "support/Eventually.h"
#include "support/Form1Fixture.h"

#include "logic/desktop/DesktopFiles.h"
#include "logic/desktop/RegistryHive.h"
#include "ui/recording/RecorderControls.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace {
// Answers every message box that opens while it lives, noting title and text.
class MessageBoxes {
public:
    MessageBoxes()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen << box->windowTitle() + "|" + box->text();
                EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
                box->accept();
            }
        });
        timer_.start();
    }
    QStringList seen;

private:
    QTimer timer_;
};

class FileType : public Form1Test {
protected:
    QString data() const { return env.root() + "/data"; }
    QString hivePath() const { return env.midiFolder() + "/registry.hive"; }
    RegistryHive hive() const { return RegistryHive::parse(TempEnvironment::read(hivePath()).toStdString()); }
    std::string buildFolder() const { return QCoreApplication::applicationDirPath().toStdString(); }
    std::string midiFolder() const { return env.midiFolder().toStdString(); }

    QStringList startAndAnswer(const std::vector<std::string>& arguments = {})
    {
        MessageBoxes boxes;
        start(nullptr, arguments);
        return boxes.seen;
    }
};
}  // namespace

TEST_F(FileType, OneStartWritesTheSixKeysAndFourValues)
{
    EXPECT_TRUE(startAndAnswer().isEmpty());
    const RegistryHive h = hive();
    const std::vector<std::pair<std::string, std::optional<std::string>>> expected = {
        {".mus", "mus_file"},
        {"mus_file", "Velorin Sequence"},
        {"mus_file\\DefaultIcon", buildFolder() + "/velorin.svg"},
        {"mus_file\\shell", std::nullopt},
        {"mus_file\\shell\\open", std::nullopt},
        // No copy installed in the midi folder: the program that runs opens the files.
        {"mus_file\\shell\\open\\command", "\"" + buildFolder() + "/velorin\" \"%1\""},
    };
    ASSERT_EQ(h.keys().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(h.keys()[i].path, expected[i].first);
        EXPECT_EQ(h.keys()[i].value, expected[i].second);
    }
    EXPECT_TRUE(TempEnvironment::read(hivePath())
                    .contains("[HKEY_CLASSES_ROOT\\mus_file\\shell\\open\\command]\n@=\"\\\"" +
                              QByteArray::fromStdString(buildFolder()) + "/velorin\\\" \\\"%1\\\"\"\n"));
}

TEST_F(FileType, ASecondStartRewritesTheSameValuesSilently)
{
    startAndAnswer();
    stop();
    const QByteArray first = TempEnvironment::read(hivePath());
    RegistryHive changed = hive();
    changed.setDefaultValue("mus_file", "Something Else");
    changed.setDefaultValue("mus_file\\shell\\open\\command", "\"/old/place/velorin\" \"%1\"");
    TempEnvironment::write(hivePath(), QByteArray::fromStdString(changed.text()));

    EXPECT_TRUE(startAndAnswer().isEmpty());
    EXPECT_EQ(TempEnvironment::read(hivePath()), first);
    EXPECT_EQ(QDir(env.midiFolder()).entryList(QDir::Files), QStringList{"registry.hive"});
}

TEST_F(FileType, WithoutWriteAccessTheTwoMessagesShowAndStartUpGoesOn)
{
    // Nothing can be written where the hive and the desktop's records go
    // (permissions would not stop root, so the places are taken by the wrong kind of entry).
    QDir().mkpath(hivePath());
    TempEnvironment::write(data() + "/mime", "a file, not a folder");
    TempEnvironment::write(data() + "/applications", "a file, not a folder");
    const QString tune = env.root() + "/tune.mus";
    TempEnvironment::write(tune, "3: 10\r\n");
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");

    EXPECT_EQ(startAndAnswer({tune.toStdString()}),
              (QStringList{"velorin|Error: Creating Key!", "velorin|Error Setting String Value!"}));
    // The rest of start-up ran: the file named on the command line, the device and the instrument.
    EXPECT_EQ(TempEnvironment::read(env.midiFolder() + "/piano.ini"), "3: 10\r\n");
    EXPECT_EQ(form->windowTitle(), "Velorin Piano - 127 Tones");
    EXPECT_EQ(midi.messages(), (std::vector<std::uint32_t>{0x00C0}));
    EXPECT_EQ(form->controls().instru->text(), "Acoustic Grand Piano");
    EXPECT_EQ(form->baseNote, 60);
    ASSERT_EVENTUALLY(form->recorder().player().running(), 2000);
}

TEST_F(FileType, ADesktopThatCannotBeWrittenShowsOneMessage)
{
    TempEnvironment::write(data() + "/mime", "a file, not a folder");
    EXPECT_EQ(startAndAnswer(), QStringList{"velorin|Error: Creating Key!"});
    EXPECT_EQ(hive().keys().size(), 6u);
    stop();

    QFile::remove(data() + "/mime");
    QDir().mkpath(env.root() + "/config/mimeapps.list");
    EXPECT_EQ(startAndAnswer(), QStringList{"velorin|Error Setting String Value!"});
}

TEST_F(FileType, TheDesktopOpensSequenceFilesWithVelorin)
{
    TempEnvironment::write(env.root() + "/config/mimeapps.list",
                           "[Default Applications]\ntext/html=firefox.desktop\n");
    EXPECT_TRUE(startAndAnswer().isEmpty());

    const QByteArray package = TempEnvironment::read(data() + "/mime/packages/velorin.xml");
    EXPECT_TRUE(package.contains("<mime-type type=\"application/x-velorin-sequence\">"));
    EXPECT_TRUE(package.contains("<comment>Velorin Sequence</comment>"));
    EXPECT_TRUE(package.contains("<glob pattern=\"*.mus\" case-sensitive=\"true\"/>"));
    // The desktop's tools took the records in.
    EXPECT_TRUE(TempEnvironment::read(data() + "/mime/globs2").contains("application/x-velorin-sequence:*.mus"));
    EXPECT_TRUE(TempEnvironment::read(data() + "/applications/mimeinfo.cache")
                    .contains("application/x-velorin-sequence=velorin.desktop;"));

    // Until the updater installs the program, the running one opens the files.
    const QByteArray entry = TempEnvironment::read(data() + "/applications/velorin.desktop");
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\nType=Application\nName=Velorin\n"));
    EXPECT_TRUE(entry.contains("\nExec=" + QByteArray::fromStdString(buildFolder()) + "/velorin %f\n"));
    EXPECT_TRUE(entry.contains("\nIcon=" + QByteArray::fromStdString(buildFolder()) + "/velorin.svg\n"));
    EXPECT_TRUE(entry.contains("\nMimeType=application/x-velorin-sequence;\n"));
    EXPECT_EQ(TempEnvironment::read(env.root() + "/config/mimeapps.list"),
              "[Default Applications]\ntext/html=firefox.desktop\n"
              "application/x-velorin-sequence=velorin.desktop\n");

    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {"query", "default", "application/x-velorin-sequence"});
    ASSERT_TRUE(query.waitForFinished(10000));
    EXPECT_EQ(query.readAllStandardOutput().trimmed(), "velorin.desktop");
    stop();

    TempEnvironment::write(env.midiFolder() + "/velorin", "installed");
    startAndAnswer();
    EXPECT_TRUE(TempEnvironment::read(data() + "/applications/velorin.desktop")
                    .contains("\nExec=" + QByteArray::fromStdString(midiFolder()) + "/velorin %f\n"));
    EXPECT_EQ(hive().defaultValue("mus_file\\shell\\open\\command"), "\"" + midiFolder() + "/velorin\" \"%1\"");
    stop();

    // An entry the user edited stays as they left it.
    QByteArray edited = TempEnvironment::read(data() + "/applications/velorin.desktop");
    edited.replace("Name=Velorin", "Name=My Piano");
    TempEnvironment::write(data() + "/applications/velorin.desktop", edited);
    QFile::remove(env.midiFolder() + "/velorin");
    startAndAnswer();
    EXPECT_EQ(TempEnvironment::read(data() + "/applications/velorin.desktop"), edited);
}
