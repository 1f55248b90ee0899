// midiconv1: turns Velorin's recording into a Standard MIDI File beside it.
#include "logic/base/AppPaths.h"
#include "logic/settings/SettingsFile.h"
#include "platform/IniSettingsStore.h"
#include "platform/Paths.h"
#include "platform/QtFiles.h"
#include "logic/midi/MidiConversion.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velorin"));

    const AppPaths paths = Paths::fromEnvironment();
    QtFiles files;
    const std::string log = paths.eventLog();
    const auto recording = files.read(log);
    if (!recording) {
        std::fprintf(stderr, "midiconv1: cannot read the recording %s (record with F8 in Velorin first)\n",
                     log.c_str());
        return 1;
    }

    const std::string settingsFile = paths.keyboardSettingsFile();
    const auto settings =
        SettingsFile::keyboardSettings(files.fileExists(settingsFile) ? files.read(settingsFile) : std::nullopt);
    const IniSettingsStore store(Paths::settingsStoreFile());
    const int patch = MidiConversion::patchFromStore(store.value("instru", "instru"));

    const auto events = MidiConversion::events(*recording, settings, patch);
    if (!events) {
        std::fprintf(stderr, "midiconv1: the channel in %s is %d; a MIDI channel is 0 to 15\n", settingsFile.c_str(),
                     settings.midiChannel);
        return 1;
    }
    const std::string target = paths.midiFile();
    if (!files.writeAtomically(target, StandardMidiFile::formatZero(*events))) {
        std::fprintf(stderr, "midiconv1: cannot write %s\n", target.c_str());
        return 1;
    }
    std::printf("%s\n", target.c_str());
    return 0;
}
