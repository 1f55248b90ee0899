// How much time Velorin adds between a MIDI keyboard and the synthesizer:
// from the moment RtMidi hands a message to Velorin's input (on RtMidi's own
// thread) until the built-in synthesizer is called with the note, through the
// queue to the GUI thread, the event loop waking, the key road and the
// sender. A source port on the running JACK server (JACK_DEFAULT_SERVER)
// plays note-ons and note-offs one at a time into Velorin's input port; the
// synthesizer renders into a WAV file. Prints median, 99th percentile and
// worst, and for reference the whole way from the source, JACK's period
// included. With "throughput" it plays three fast patterns instead (random
// notes at 40 and 100 a second, 10-note chords every 100 ms) and counts what
// reached Velorin's input against what it passed on to the synthesizer, and
// the keys left lit at the end.
#include "BenchSupport.h"
#include "ui/window/Form1.h"
#include "support/ManualClock.h"
#include "logic/midi/MidiIn.h"
#include "logic/midi/MidiOut.h"
#include "platform/FluidSynthOut.h"
#include "platform/IniSettingsStore.h"
#include "platform/JackWatch.h"
#include "platform/Paths.h"
#include "platform/QtFiles.h"
#include "platform/QueuedMidiIn.h"
#include "platform/RtMidiPortIn.h"
#include "platform/TcpPlaySocket.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "ui/keyboard/PianoKey.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {
using SteadyClock = std::chrono::steady_clock;

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch()).count();
}

// Notes when RtMidi hands each message over, on RtMidi's thread.
class StampingIn : public MidiIn {
public:
    explicit StampingIn(MidiIn& inner) : inner_(inner) {}
    ~StampingIn() override { inner_.setHandler({}); }
    void setHandler(Handler handler) override
    {
        inner_.setHandler([this, handler = std::move(handler)](std::uint32_t message) {
            arrived.store(nowNs());
            ++count;
            if ((message & 0xF0) == 0x90 && (message >> 16) != 0)
                ++ons;
            if (handler)
                handler(message);
        });
    }
    std::atomic<std::int64_t> arrived{0};
    std::atomic<int> count{0};
    std::atomic<int> ons{0};

private:
    MidiIn& inner_;
};

// Notes when each message reaches the synthesizer, then plays it.
class StampingSynth : public MidiOut {
public:
    explicit StampingSynth(FluidSynthOut& synth) : synth_(synth) {}
    int open(int id) override { return synth_.open(id); }
    int close() override { return synth_.close(); }
    void shortMsg(std::uint32_t message) override
    {
        const std::int64_t t = nowNs();
        synth_.shortMsg(message);
        if ((message & 0xE0) == 0x80) {  // note-on or note-off
            reached = t;
            ++notes;
            ons += (message & 0xF0) == 0x90 && (message >> 16) != 0;
        }
    }
    std::int64_t reached = 0;
    int notes = 0;
    int ons = 0;

private:
    FluidSynthOut& synth_;
};

// Plays a pattern from a thread of its own, the way a MIDI source runs
// beside the program, while the window takes what arrives; then reports.
// A plain RtMidi client on the same source, for reference: what JACK
// delivered to a client that does nothing but count.
std::atomic<int> plainCount{0};

void countPlain(double, std::vector<unsigned char>*, void*)
{
    ++plainCount;
}

void throughput(const char* name, RtMidiOut& keys, StampingIn& stamping, StampingSynth& out, Form1& form,
                int notes, int chord, std::chrono::microseconds every, std::chrono::microseconds held)
{
    const int plainBefore = plainCount.load();
    const int inBefore = stamping.count.load();
    const int onsInBefore = stamping.ons.load();
    const int onsOutBefore = out.ons;
    std::atomic<bool> done{false};
    std::thread source([&] {
        std::mt19937 random(7);
        auto at = std::chrono::steady_clock::now();
        for (int n = 0; n < notes; n += chord) {
            std::vector<unsigned char> struck;
            for (int c = 0; c < chord; ++c) {
                const auto note = static_cast<unsigned char>(48 + random() % 41);
                const std::vector<unsigned char> on{0x90, note, static_cast<unsigned char>(1 + random() % 127)};
                keys.sendMessage(&on);
                struck.push_back(note);
            }
            std::this_thread::sleep_until(at + held);
            for (const unsigned char note : struck) {
                const std::vector<unsigned char> off{0x80, note, 0};
                keys.sendMessage(&off);
            }
            at += every;
            std::this_thread::sleep_until(at);
        }
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    source.join();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    int lit = 0;
    for (const PianoKey* k : form.controls().key)
        lit += k->shownPressed();
    // A note-off that JACK dropped on a busy machine leaves its key lit, as
    // it should: the note was never let go as far as Velorin could know.
    std::printf("throughput %s: sent %d messages, %d reached Velorin's input (%d note-ons), %d note-ons went "
                "on to the synthesizer; %d keys left lit; a plain client received %d\n",
                name, 2 * notes, stamping.count.load() - inBefore, stamping.ons.load() - onsInBefore,
                out.ons - onsOutBefore, lit, plainCount.load() - plainBefore);
}
}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    Bench::usePrivateFolders(dir);
    QApplication app(argc, argv);
    const bool burst = argc > 1 && std::strcmp(argv[1], "throughput") == 0;
    const int rounds = argc > 1 && !burst ? std::max(10, std::atoi(argv[1])) : 2000;

    QtFiles files;
    FluidSynthOut::Options options;
    options.soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    options.audioDriver = "file";
    options.audioFile = (dir.path() + QStringLiteral("/out.wav")).toStdString();
    options.library = Paths::fromEnvironment().synthesizerLibrary(files);
    FluidSynthOut synth(options);
    StampingSynth out(synth);
    IniSettingsStore settings(Paths::settingsStoreFile());
    ManualClock clock;
    TcpPlaySocket socket;

    RtMidiOut keys(RtMidi::UNIX_JACK, "velorin-bench-keys");
    keys.openVirtualPort("out");
    JackWatch jack;
    RtMidiPortIn port("velorin-bench-keys", jack);
    StampingIn stamping(port);
    QueuedMidiIn queued(stamping);

    Form1 form(Form1Services{out, settings, files, clock, socket, Paths::fromEnvironment()});
    form.connectMidiInput(queued);
    port.start();
    form.startUp();
    form.baseNote = 48;
    form.show();
    if (port.source().empty() || !synth.waitUntilLoaded()) {
        std::fprintf(stderr, "no JACK server, or no SoundFont: start jackd first\n");
        return 1;
    }

    if (burst) {
        using std::chrono::microseconds;
        RtMidiIn plain(RtMidi::UNIX_JACK, "velorin-bench-plain");
        plain.setCallback(&countPlain, nullptr);
        for (unsigned i = 0; i < plain.getPortCount(); ++i)
            if (plain.getPortName(i).rfind("velorin-bench-keys", 0) == 0)
                plain.openPort(i, "in");
        throughput("40 notes/s", keys, stamping, out, form, 400, 1, microseconds(25000), microseconds(20000));
        throughput("10-note chords every 100 ms", keys, stamping, out, form, 1000, 10, microseconds(100000),
                   microseconds(50000));
        throughput("100 notes/s", keys, stamping, out, form, 2000, 1, microseconds(10000), microseconds(5000));
        return 0;
    }

    std::vector<double> added;
    std::vector<double> whole;
    added.reserve(2 * rounds);
    whole.reserve(2 * rounds);
    int lostByJack = 0;
    const int warmUp = 100;
    for (int r = 0; r < rounds + warmUp; ++r) {
        const unsigned char note = static_cast<unsigned char>(48 + r % 41);
        for (const unsigned char velocity : {static_cast<unsigned char>(1 + r % 127), static_cast<unsigned char>(0)}) {
            const std::vector<unsigned char> message{0x90, note, velocity};
            const int before = out.notes;
            const std::int64_t handedBefore = stamping.arrived.load();
            std::int64_t sent = nowNs();
            keys.sendMessage(&message);
            QElapsedTimer waited;
            waited.start();
            // Idle as the program's event loop is idle: asleep until something arrives.
            while (out.notes == before) {
                if (waited.elapsed() > 1000) {
                    if (stamping.arrived.load() != handedBefore) {
                        std::fprintf(stderr, "Velorin lost a message: round %d, velocity %d\n", r, velocity);
                        return 1;
                    }
                    // A cycle the busy server skipped takes its MIDI events with it: send again.
                    ++lostByJack;
                    sent = nowNs();
                    keys.sendMessage(&message);
                    waited.restart();
                }
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
            if (r >= warmUp) {
                added.push_back(double(out.reached - stamping.arrived.load()) / 1000.0);
                whole.push_back(double(out.reached - sent) / 1000.0);
            }
        }
    }
    std::printf("MIDI input to synthesizer: %zu messages, median %.1f us, p99 %.1f us, max %.1f us; "
                "from the source through JACK: median %.1f us, p99 %.1f us (%d lost by JACK, sent again)\n",
                added.size(), Bench::percentile(added, 0.5), Bench::percentile(added, 0.99), Bench::percentile(added, 1.0),
                Bench::percentile(whole, 0.5), Bench::percentile(whole, 0.99), lostByJack);
    return 0;
}
