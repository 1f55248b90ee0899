#pragma once

#include "logic/midi/MidiOut.h"

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

class SynthLibrary;
struct VelorinSynth;
struct VelorinSynthApi;

// The built-in synthesizer: FluidSynth with a General MIDI SoundFont, playing
// through the desktop's audio. Everything slow happens on a thread of its
// own: loading the synthesizer's library (FluidSynth and its audio back-ends
// come with it), making the synthesizer, opening the audio and loading the
// SoundFont. A held output (Options::held) waits for release() before it
// begins, so that the window can be on the screen first.
//
// Messages sent before all that is done are kept with their times and played
// once it is, in their rhythm: late, never lost, and a key pressed and let go
// meanwhile still sounds as long as it was held. An output that fails then
// (no audio, no SoundFont, no library) tells the late-failure handler.
class FluidSynthOut : public MidiOut {
public:
    struct Options {
        std::string soundFont;
        std::string audioDriver;  // empty: the running sound server's own, else ALSA, else any
        std::string audioFile;
        int periodSize = 64;
        int periods = 4;
        std::string library;  // the synthesizer's library file
        bool held = false;    // start only at release()
    };

    explicit FluidSynthOut(Options options);
    ~FluidSynthOut() override;

    int open(int deviceId) override;
    int close() override;
    void shortMsg(std::uint32_t message) override;
    void setLateFailureHandler(std::function<void()> handler) override;

    // Starts a held output; nothing for one that runs already.
    void release();
    // Told on the loading thread, with the driver's name, once the audio is open.
    void setAudioOpenedHandler(std::function<void(const std::string& driver)> handler);

    // For tests: blocks until the synthesizer plays or failed; true when it plays.
    bool waitUntilLoaded();
    std::string audioDriverInUse() const;

private:
    using Clock = std::chrono::steady_clock;
    struct SynthCloser {
        const VelorinSynthApi* api;
        void operator()(VelorinSynth* synth) const;
    };
    enum class State { Closed, Held, Loading, CatchingUp, Playing, Failed };

    void startLoading();
    void load();
    bool catchUp(bool keepsTime);
    void fail(const std::string& why);

    Options options_;
    Clock::time_point openedAt_;
    std::thread loader_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    State state_ = State::Closed;
    bool stopping_ = false;
    std::deque<std::pair<Clock::time_point, std::uint32_t>> pending_;
    std::string driverName_;
    std::function<void()> lateFailure_;
    std::function<void(const std::string&)> audioOpened_;
    // Declared in creation order: the synthesizer goes before its library.
    std::unique_ptr<SynthLibrary> library_;
    std::unique_ptr<VelorinSynth, SynthCloser> synth_;
    QObject opener_;  // delivers the late failure on the opening thread
};
