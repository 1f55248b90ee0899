// Saves one of Velorin's files over and over through the program's own
// code, alternating between two contents, until it is killed:
//   save_loop settings|skin|usercolours
#include "ui/window/Form1.h"
#include "support/ManualClock.h"
#include "logic/colour/ColourFiles.h"
#include "ui/colour/SkinColours.h"
#include "ui/dialogs/Form2.h"
#include "support/RecordingMidiOut.h"
#include "platform/IniSettingsStore.h"
#include "platform/Paths.h"
#include "platform/QtFiles.h"
#include "platform/TcpPlaySocket.h"

#include <QApplication>
#include <QLineEdit>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const AppPaths paths = Paths::fromEnvironment();
    IniSettingsStore settings(Paths::settingsStoreFile());
    QtFiles files;
    RecordingMidiOut midi;
    ManualClock clock;
    TcpPlaySocket socket;
    Form1 form(Form1Services{midi, settings, files, clock, socket, paths});
    form.startUp();
    std::printf("ready\n");
    std::fflush(stdout);
    for (unsigned round = 0;; ++round) {
        const bool a = round % 2 == 0;
        if (std::strcmp(argv[1], "settings") == 0) {
            Form2& dialog = form.showSettings();
            const char* texts[2][6] = {{"0", "60", "1", "0", "100", "0"}, {"3", "48", "2", "10", "250", "20"}};
            for (int i = 0; i < 6; ++i)
                dialog.boxes()[static_cast<std::size_t>(i)]->setText(texts[a ? 0 : 1][i]);
            dialog.ok();
            QCoreApplication::processEvents();
        } else if (std::strcmp(argv[1], "skin") == 0) {
            form.skin().commit(a ? 255 : 65280, a ? 16711680 : 8421504);
        } else {
            ColourFiles::UserColours colours{};
            colours.fill(a ? 0x123456 : 0x654321);
            files.writeAtomically(paths.inMidiFolder("usercolors.cps"), ColourFiles::serializeUserColours(colours));
        }
    }
}
