// How long a key event takes from its delivery to the main window until its
// packed MIDI message reaches the output layer. Prints median and 99th
// percentile over many presses and releases (offscreen, recording output).
#include "BenchSupport.h"
#include "ui/window/Form1.h"
#include "support/ManualClock.h"
#include "logic/midi/MidiOut.h"
#include "platform/IniSettingsStore.h"
#include "platform/Paths.h"
#include "platform/QtFiles.h"
#include "platform/TcpPlaySocket.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
using SteadyClock = std::chrono::steady_clock;

// Notes the moment each message arrives.
class StampingOut : public MidiOut {
public:
    int open(int) override { return 0; }
    int close() override { return 0; }
    void shortMsg(std::uint32_t) override { arrived = SteadyClock::now(); }
    SteadyClock::time_point arrived;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    Bench::usePrivateFolders(dir);
    QApplication app(argc, argv);
    IniSettingsStore settings(Paths::settingsStoreFile());
    QtFiles files;
    StampingOut out;
    ManualClock clock;
    TcpPlaySocket socket;
    Form1 form(Form1Services{out, settings, files, clock, socket, Paths::fromEnvironment()});
    form.startUp();
    form.baseNote = 60;
    form.show();

    const int keys[] = {Qt::Key_Z, Qt::Key_S, Qt::Key_X, Qt::Key_D, Qt::Key_C, Qt::Key_Q, Qt::Key_2, Qt::Key_W};
    constexpr int rounds = 20000;
    std::vector<double> micros;
    micros.reserve(2 * rounds);
    for (int r = 0; r < rounds + 500; ++r) {
        const int key = keys[r % 8];
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QWidget* target = form.focusWidget() ? form.focusWidget() : &form;
            QKeyEvent event(type, key, Qt::NoModifier);
            const auto start = SteadyClock::now();
            QApplication::sendEvent(target, &event);
            const double us = std::chrono::duration<double, std::micro>(out.arrived - start).count();
            if (r >= 500)  // after warm-up
                micros.push_back(us);
        }
        if (r % 64 == 0)
            QCoreApplication::processEvents();  // let repaints run, as they would
    }
    std::printf("key event to MIDI message: %zu events, median %.2f us, p99 %.2f us, max %.2f us\n", micros.size(),
                Bench::percentile(micros, 0.5), Bench::percentile(micros, 0.99), Bench::percentile(micros, 1.0));
    return 0;
}
