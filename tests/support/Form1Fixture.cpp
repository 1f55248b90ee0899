#include "support/Form1Fixture.h"

#include "platform/Paths.h"

void Form1Test::writeKeyboardSettings(const QByteArray& bytes)
{
    TempEnvironment::write(env.midiFolder() + QStringLiteral("/instruments.ini"), bytes);
}

Form1& Form1Test::start(MidiOut* output, const std::vector<std::string>& arguments)
{
    settings = std::make_unique<IniSettingsStore>(env.settingsStoreFile());
    AppPaths paths = Paths::fromEnvironment();
    if (!programFolder.empty()) {
        // An installation of its own: nothing is found anywhere else.
        paths.programFolder = programFolder;
        paths.dataFolder.clear();
        paths.moreShippedFolders.clear();
    }
    form = std::make_unique<Form1>(Form1Services{output ? *output : midi, *settings, files, clock, socket, paths});
    form->startUp(arguments);
    // The program does this once the window is on the screen.
    form->firstOnScreen();
    return *form;
}

void Form1Test::stop()
{
    form->close();
    form.reset();
    settings.reset();
}

QColor Form1Test::textColour(const QWidget* w)
{
    return w->palette().color(QPalette::WindowText);
}
