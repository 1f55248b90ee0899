#include "app/DesignFonts.h"
#include "app/DetectableAutoRepeat.h"
#include "app/Form1.h"
#include "platform/IniSettingsStore.h"
#include "platform/JackWatch.h"
#include "platform/MidiConfig.h"
#include "platform/Paths.h"
#include "platform/QtClock.h"
#include "platform/QtFiles.h"
#include "platform/QueuedMidiIn.h"
#include "platform/RtMidiPortIn.h"
#include "platform/SingleInstance.h"
#include "platform/SystemMidiOut.h"
#include "platform/TcpPlaySocket.h"
#include "platform/TerminationSignals.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velorin"));

    SingleInstance instance(Paths::instanceLockFile());
    if (!instance.acquire())
        return 0;

    installDesignFontSubstitutes();
    IniSettingsStore settings(Paths::settingsStoreFile());
    QtFiles files;
    // Before every MIDI port, which it outlives: the JACK server coming and going.
    JackWatch jack;
    SystemMidiOut midi(settings, jack);
    QtClock clock;
    TcpPlaySocket socket;
    // A MIDI keyboard, when the settings name one: its messages reach the window on its own thread.
    RtMidiPortIn midiPort(MidiConfig::read(settings).input, jack);
    QueuedMidiIn midiInput(midiPort);

    Form1 window(Form1Services{midi, settings, files, clock, socket, Paths::fromEnvironment()});
    // Where X cannot mark repeats, a release and a press of one key with one
    // timestamp are taken as a repeat.
    window.repeats().setPairReleases(!enableDetectableAutoRepeat());
    QObject::connect(&window, &Form1::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, &QWidget::close);
    std::vector<std::string> arguments;
    for (const QString& a : QCoreApplication::arguments().mid(1))
        arguments.push_back(a.toStdString());
    window.connectMidiInput(midiInput);
    // Before the output, so that in JACK the input client is the one named plainly "Velorin".
    midiPort.start();
    window.startUp(arguments);
    window.show();
    return app.exec();
}
