#include "support/Eventually.h"
#include "support/Form1Fixture.h"

#include "ui/desktop/ShellCommands.h"
#include "support/MessageBoxes.h"
#include "support/MidiFileReader.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QUrl>


namespace {
// Takes the addresses the program hands to the desktop for one scheme.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit UrlCatcher(const QString& scheme) : scheme_(scheme) { QDesktopServices::setUrlHandler(scheme, this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(scheme_); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }

private:
    QString scheme_;
};

class Shell : public Form1Test {
protected:
    QString bin() const { return env.root() + "/bin"; }
    QString midiFile() const { return env.midiFolder() + "/piano.mid"; }
    void shipConverter() { ASSERT_TRUE(QFile::copy(QStringLiteral(MIDICONV_PROGRAM), bin() + "/midiconv1")); }
};
}  // namespace

TEST_F(Shell, CreateMidiNeedsTheConverterAtStartUp)
{
    QDir().mkpath(bin());
    programFolder = bin().toStdString();
    writeKeyboardSettings("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    TempEnvironment::write(env.midiFolder() + "/piano.ini", "2: 30\r\n");
    start();
    EXPECT_FALSE(form->controls().midiconv->isEnabled());

    // Shipped later: the menu item stays off for the whole run.
    shipConverter();
    form->controls().midiconv->trigger();
    form->shell().createMidi();
    QTest::qWait(500);
    EXPECT_FALSE(form->controls().midiconv->isEnabled());
    EXPECT_FALSE(QFile::exists(midiFile()));
    stop();

    // At the next start it is there: F6 writes the recording as a MIDI file.
    start();
    ASSERT_TRUE(form->controls().midiconv->isEnabled());
    EXPECT_EQ(form->controls().midiconv->shortcut(), QKeySequence(Qt::Key_F6));
    form->controls().midiconv->trigger();
    ASSERT_EVENTUALLY(QFile::exists(midiFile()), 10000);
    std::optional<MidiFileReader> file;
    for (int i = 0; i < 100 && !file; ++i, QTest::qWait(20))  // written in one step, but wait for the converter
        file = MidiFileReader::read(TempEnvironment::read(midiFile()).toStdString());
    ASSERT_TRUE(file);
    const auto m = file->channelMessages();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[1].bytes, (std::vector<std::uint8_t>{0x90, 62, 127}));
    EXPECT_EQ(m[2].tick, 300);
}

TEST_F(Shell, CreateMidiTellsWhyTheConverterFailed)
{
    QDir().mkpath(bin());
    programFolder = bin().toStdString();
    shipConverter();
    start();
    ASSERT_TRUE(form->controls().midiconv->isEnabled());
    MessageBoxes boxes;
    form->controls().midiconv->trigger();  // there is no recording
    ASSERT_EVENTUALLY(!boxes.shown.isEmpty(), 10000);
    EXPECT_TRUE(boxes.shown[0].startsWith("velorin|midiconv1: cannot read the recording"))
        << boxes.shown[0].toStdString();
    EXPECT_FALSE(QFile::exists(midiFile()));
}

TEST_F(Shell, GuideOpensTheShippedPage)
{
    // A desktop with a browser, whatever this machine has.
    const QByteArray browser = qgetenv("BROWSER");
    qputenv("BROWSER", "x-www-browser");
    UrlCatcher files(QStringLiteral("file"));
    start();
    form->controls().mnurdme->trigger();
    if (browser.isEmpty())
        qunsetenv("BROWSER");
    else
        qputenv("BROWSER", browser);
    ASSERT_EQ(files.opened.size(), 1);
    const QUrl url = files.opened.front();
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(url.toLocalFile(), QCoreApplication::applicationDirPath() + "/guide.html");
    const QByteArray page = TempEnvironment::read(url.toLocalFile());
    EXPECT_TRUE(page.contains("<title>Velorin Guide</title>"));
    for (const char* topic : {"id=\"playing\"", "id=\"keys\"", "id=\"recording\"", "id=\"files\"", "id=\"shared\"",
                              "id=\"colours\"", "id=\"settings\""})
        EXPECT_TRUE(page.contains(topic)) << topic;
}

TEST_F(Shell, WithoutABrowserTheGuideSaysWhereItIs)
{
    // Nothing on the path, no $BROWSER: nothing could show a web page.
    const QByteArray path = qgetenv("PATH");
    const QByteArray browser = qgetenv("BROWSER");
    qputenv("PATH", bin().toUtf8());
    qunsetenv("BROWSER");
    UrlCatcher files(QStringLiteral("file"));
    start();
    MessageBoxes boxes;
    form->controls().mnurdme->trigger();
    qputenv("PATH", path);
    if (!browser.isEmpty())
        qputenv("BROWSER", browser);
    EXPECT_TRUE(files.opened.isEmpty());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].startsWith("velorin|No web browser was found"));
    EXPECT_TRUE(boxes.shown[0].endsWith(QCoreApplication::applicationDirPath() + "/guide.html"));
}

#include "ShellCommandsTest.moc"
