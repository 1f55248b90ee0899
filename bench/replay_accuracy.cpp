// How closely replay keeps to the schedule of a log: a 2,000-line log of
// short notes and rests replayed on the real clock into a recording output,
// each message's arrival compared with its ideal time.
#include "BenchSupport.h"
#include "ui/window/Form1.h"
#include "support/RecordingMidiOut.h"
#include "platform/IniSettingsStore.h"
#include "platform/Paths.h"
#include "platform/QtClock.h"
#include "platform/QtFiles.h"
#include "platform/TcpPlaySocket.h"
#include "logic/recording/EventLog.h"
#include "ui/recording/RecorderControls.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    Bench::usePrivateFolders(dir);
    QApplication app(argc, argv);
    const AppPaths paths = Paths::fromEnvironment();
    QDir().mkpath(QString::fromStdString(paths.midiFolder));

    // Mixed short notes and rests, 10 to 60 ms each; the ideal time of
    // every message follows from the counts.
    std::mt19937 random(7);
    std::string log;
    std::vector<double> ideal;
    double t = 0;
    for (int line = 0; line < 2000; ++line) {
        const int count = 1 + static_cast<int>(random() % 6);
        if (line % 3 == 2) {
            log += EventLog::restLine(count);
        } else {
            log += EventLog::noteLine(static_cast<int>(random() % 41), count);
            ideal.push_back(t);
            ideal.push_back(t + count * 10.0);
        }
        t += count * 10.0;
    }
    QFile file(QString::fromStdString(paths.eventLog()));
    file.open(QIODevice::WriteOnly);
    file.write(log.data(), static_cast<qint64>(log.size()));
    file.close();
    QFile settingsFile(QString::fromStdString(paths.keyboardSettingsFile()));
    settingsFile.open(QIODevice::WriteOnly);
    settingsFile.write("0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n");
    settingsFile.close();

    IniSettingsStore settings(Paths::settingsStoreFile());
    QtFiles files;
    QtClock clock;
    RecordingMidiOut out;
    out.stampWith(&clock);
    TcpPlaySocket socket;
    Form1 form(Form1Services{out, settings, files, clock, socket, paths});
    form.startUp();
    form.show();
    out.clear();

    const auto started = clock.now();
    form.recorder().replay();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!form.recorder().player().running())
            app.quit();
    });
    poll.start(50);
    app.exec();

    const auto& times = out.times();
    std::vector<double> errors;
    for (std::size_t i = 0; i < std::min(times.size(), ideal.size()); ++i) {
        const double actual = std::chrono::duration<double, std::milli>(times[i] - started).count();
        errors.push_back(std::fabs(actual - ideal[i]));
    }
    const double drift =
        std::chrono::duration<double, std::milli>(times.back() - started).count() - ideal[times.size() - 1];
    std::vector<double> sorted = errors;
    std::sort(sorted.begin(), sorted.end());
    auto pct = [&](double p) { return sorted[static_cast<std::size_t>(p * double(sorted.size() - 1))]; };
    std::printf("replay of 2000 lines (%zu messages over %.1f s): error median %.3f ms, p99 %.3f ms, worst %.3f ms, "
                "drift at the end %.3f ms\n",
                times.size(), t / 1000, pct(0.5), pct(0.99), pct(1.0), drift);
    return times.size() == ideal.size() ? 0 : 1;
}
