// What keeping a take costs each message on its way to the output: the tee
// alone (stamping on the real clock, keeping the message, writing its
// journal line), and a key event to its MIDI message with Record on, beside
// the same with Record off. Also the memory a take holds per message, and
// that an idle recording holds no more as time goes by.
#include "BenchSupport.h"
#include "ui/window/Form1.h"
#include "logic/midi/MidiOut.h"
#include "platform/IniSettingsStore.h"
#include "platform/Paths.h"
#include "platform/QtClock.h"
#include "platform/QtFiles.h"
#include "platform/TcpPlaySocket.h"
#include "ui/take/TakeControls.h"
#include "logic/take/TakePlayer.h"
#include "logic/take/TakeTee.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
using SteadyClock = std::chrono::steady_clock;

class StampingOut : public MidiOut {
public:
    int open(int) override { return 0; }
    int close() override { return 0; }
    void shortMsg(std::uint32_t) override { arrived = SteadyClock::now(); }
    SteadyClock::time_point arrived;
};

// Nanoseconds a message through the tee, in batches of 1000, recording or not.
std::vector<double> teeCost(bool recording, const Clock& clock)
{
    StampingOut out;
    TakeTee tee(out, clock);
    if (recording)
        tee.take().start();
    std::vector<double> perMessage;
    for (int batch = 0; batch < 1000; ++batch) {
        const auto start = SteadyClock::now();
        for (std::uint32_t i = 0; i < 1000; ++i)
            tee.shortMsg(0x400090u | ((36 + i % 48) << 8));
        perMessage.push_back(std::chrono::duration<double, std::nano>(SteadyClock::now() - start).count() / 1000);
        if (batch % 50 == 0)
            tee.take().takeJournal();  // handed to the file twice a second in the program
    }
    return perMessage;
}

// A take replayed on the real clock: how late each message goes out.
class LateHost : public TakePlayerHost {
public:
    std::vector<SteadyClock::time_point> sent;
    void send(std::uint32_t) override { sent.push_back(SteadyClock::now()); }
    void takeEnded() override { QCoreApplication::quit(); }
};

void replayAccuracy(QtClock& clock, int seconds)
{
    std::vector<TakeEvent> take;
    // Chords and single notes at uneven times, one every 37 ms on average.
    for (std::uint32_t ms = 0; ms < static_cast<std::uint32_t>(seconds) * 1000; ms += 25 + (ms * 7919) % 25)
        take.push_back({ms, 0x400090u | ((48 + ms % 24) << 8)});
    LateHost host;
    TakePlayer player(host, clock);
    const auto start = SteadyClock::now();
    player.start(take);
    QCoreApplication::exec();
    std::vector<double> late;
    for (std::size_t i = 0; i < take.size(); ++i)
        late.push_back(std::chrono::duration<double, std::milli>(host.sent[i] - start).count() - take[i].ms);
    std::printf("take replay on the real clock, %zu messages over %d s: late median %.3f ms, p99 %.3f ms, worst %.3f ms, "
                "at the end %.3f ms\n",
                take.size(), seconds, Bench::percentile(late, 0.5), Bench::percentile(late, 0.99),
                Bench::percentile(late, 1.0), late.back());
}

std::vector<double> keyPath(Form1& form, StampingOut& out, int rounds)
{
    const int keys[] = {Qt::Key_Z, Qt::Key_S, Qt::Key_X, Qt::Key_D, Qt::Key_C, Qt::Key_Q, Qt::Key_2, Qt::Key_W};
    std::vector<double> micros;
    for (int r = 0; r < rounds + 200; ++r) {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QWidget* target = form.focusWidget() ? form.focusWidget() : &form;
            QKeyEvent event(type, keys[r % 8], Qt::NoModifier);
            const auto start = SteadyClock::now();
            QApplication::sendEvent(target, &event);
            if (r >= 200)
                micros.push_back(std::chrono::duration<double, std::micro>(out.arrived - start).count());
        }
        if (r % 64 == 0)
            QCoreApplication::processEvents();
    }
    return micros;
}
}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    Bench::usePrivateFolders(dir);
    QApplication app(argc, argv);
    QtClock clock;

    const auto off = teeCost(false, clock);
    const auto on = teeCost(true, clock);
    std::printf("tee, not recording: median %.0f ns, p99 %.0f ns a message\n", Bench::percentile(off, 0.5),
                Bench::percentile(off, 0.99));
    std::printf("tee, recording: median %.0f ns, p99 %.0f ns, max %.0f ns a message (batches of 1000)\n",
                Bench::percentile(on, 0.5), Bench::percentile(on, 0.99), Bench::percentile(on, 1.0));

    replayAccuracy(clock, argc > 1 ? std::atoi(argv[1]) : 20);

    IniSettingsStore settings(Paths::settingsStoreFile());
    QtFiles files;
    StampingOut out;
    TcpPlaySocket socket;
    Form1 form(Form1Services{out, settings, files, clock, socket, Paths::fromEnvironment()});
    form.startUp();
    form.baseNote = 60;
    form.show();
    constexpr int rounds = 5000;
    const auto plain = keyPath(form, out, rounds);
    form.controls().mnuRecord->trigger();
    const auto recording = keyPath(form, out, rounds);
    const std::size_t messages = form.take().tee().take().events().size();
    std::printf("key event to MIDI message, Record off: median %.2f us, p99 %.2f us\n", Bench::percentile(plain, 0.5),
                Bench::percentile(plain, 0.99));
    std::printf("key event to MIDI message, Record on (log and take): median %.2f us, p99 %.2f us, %zu messages taken\n",
                Bench::percentile(recording, 0.5), Bench::percentile(recording, 0.99), messages);

    // An idle recording for three seconds: the journal is written, nothing is kept.
    const std::size_t capacityBefore = form.take().tee().take().events().capacity();
    QTimer::singleShot(3000, &app, &QCoreApplication::quit);
    app.exec();
    const std::size_t capacityAfter = form.take().tee().take().events().capacity();
    std::printf("take memory: %zu bytes a message; idle 3 s while recording: %zu -> %zu messages' room\n",
                sizeof(TakeEvent), capacityBefore, capacityAfter);
    form.controls().mnuRecord->trigger();
    return 0;
}
