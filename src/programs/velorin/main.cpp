#include "ui/window/DesignFonts.h"
#include "DetectableAutoRepeat.h"
#include "FirstExpose.h"
#include "ui/window/Form1.h"
#include "StartupClock.h"
#include "platform/IniSettingsStore.h"
#include "platform/LazyMidiPorts.h"
#include "platform/LazyPlaySocket.h"
#include "platform/MidiConfig.h"
#include "platform/Paths.h"
#include "platform/QtClock.h"
#include "platform/QtFiles.h"
#include "platform/QueuedMidiIn.h"
#include "platform/SingleInstance.h"
#include "platform/SystemMidiOut.h"
#include "platform/TerminationSignals.h"
#include "logic/commandline/CommandLine.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <set>

namespace {
std::vector<std::string> argumentsOf(const QStringList& list)
{
    std::vector<std::string> arguments;
    for (const QString& a : list)
        arguments.push_back(a.toStdString());
    return arguments;
}

// The arguments without the options Qt takes for itself (and their values),
// so that Velorin's own are read before Qt needs a display.
std::vector<std::string> withoutQtOptions(int argc, char* argv[])
{
    static const std::set<std::string> withValue = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon", "qwindowtitle",
        "session", "display", "geometry", "style", "stylesheet", "name", "title", "visual", "ncols", "im",
        "qmljsdebugger"};
    static const std::set<std::string> flags = {"reverse", "widgetcount", "nograb", "dograb", "sync", "cmap"};
    std::vector<std::string> out;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--") {
            out.insert(out.end(), argv + i, argv + argc);
            break;
        }
        std::string name = a.rfind("--", 0) == 0 ? a.substr(2) : a.rfind('-', 0) == 0 ? a.substr(1) : std::string();
        const bool joinedValue = name.find('=') != std::string::npos;
        name = name.substr(0, name.find('='));
        if (withValue.count(name)) {
            if (!joinedValue)
                ++i;
        } else if (!flags.count(name)) {
            out.push_back(a);
        }
    }
    return out;
}

QIcon windowIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/velorin-%1.png").arg(size), QSize(size, size));
    return icon;
}

// Prints the help or the version text when the command line asks for one.
bool answeredText(const CommandLine::Request& request)
{
    using Kind = CommandLine::Request::Kind;
    if (request.kind != Kind::Help && request.kind != Kind::Version)
        return false;
    const std::string text = request.kind == Kind::Help ? CommandLine::helpText() : CommandLine::versionText();
    std::fputs(text.c_str(), stdout);
    return true;
}
}  // namespace

int main(int argc, char* argv[])
{
    StartupClock startup;
    startup.phase("main entered (libraries loaded)");
    // The command line is read before Qt looks for a display, which help,
    // version and a wrong option do not need.
    const auto given = CommandLine::parse(withoutQtOptions(argc, argv));
    if (answeredText(given))
        return 0;
    if (given.kind == CommandLine::Request::Kind::Wrong) {
        std::fprintf(stderr, "velorin: %s\nTry 'velorin --help' for more information.\n", given.problem.c_str());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velorin"));
    startup.phase("application made (display open)");
    // Qt has taken its own options out by now.
    const auto request = CommandLine::parse(argumentsOf(QCoreApplication::arguments().mid(1)));

    SingleInstance instance(Paths::instanceLockFile());
    if (!instance.acquire()) {
        // The running window opens the file, or only comes forward.
        const QString file = request.file ? QFileInfo(QString::fromStdString(*request.file)).absoluteFilePath()
                                          : QString();
        if (instance.handOver(file) || !request.file)
            return 0;
        std::fprintf(stderr, "velorin: the running Velorin did not take %s\n", request.file->c_str());
        return 1;
    }

    installDesignFontSubstitutes();
    IniSettingsStore settings(Paths::settingsStoreFile());
    QtFiles files;
    const AppPaths paths = Paths::fromEnvironment();
    // Before every MIDI port, which it outlives; its library (RtMidi, JACK,
    // ALSA) loads when a port is first wanted.
    LazyMidiPorts ports(paths.midiLibrary(files));
    SystemMidiOut midi(settings, ports);
    // The synthesizer's library, the synthesizer and its audio load once the window shows.
    midi.holdSynthesizer();
    QtClock qtClock;
    LazyPlaySocket socket(paths.networkLibrary(files));
    // A MIDI keyboard, when the settings name one: its messages reach the window on its own thread.
    const std::unique_ptr<MidiPortIn> midiPort = ports.input(MidiConfig::read(settings).input);
    QueuedMidiIn midiInput(*midiPort);

    startup.phase("services made");
    Form1 window(Form1Services{midi, settings, files, qtClock, socket, paths});
    startup.phase("window made");
    // Where X cannot mark repeats, a release and a press of one key with one
    // timestamp are taken as a repeat.
    window.repeats().setPairReleases(!enableDetectableAutoRepeat());
    QObject::connect(&window, &Form1::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, &QWidget::close);
    QObject::connect(&instance, &SingleInstance::openRequested, &window,
                     [&window](const QString& file) { window.openFromOutside(file.toStdString()); });
    window.connectMidiInput(midiInput);
    // Before the output, so that in JACK the input client is the one named plainly "Velorin".
    midiPort->start();
    window.startUp(request.file ? std::vector<std::string>{*request.file} : std::vector<std::string>{});
    startup.phase("start-up run");
    window.show();
    startup.watchFirstExpose(window.windowHandle());
    FirstExpose synthesizerStart(window.windowHandle(), [&midi] {
        midi.releaseSynthesizer();
        // For taskbars that show a window's own icon (on X11, _NET_WM_ICON):
        // after the window is up, as decoding its five sizes takes longer
        // than making the window's menus.
        QApplication::setWindowIcon(windowIcon());
    });
    startup.phase("window shown");
    return app.exec();
}
