#pragma once

#include "midi/MidiOut.h"

#include <QObject>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;
class FileAudioWriter;

// The built-in synthesizer: FluidSynth with a General MIDI SoundFont, playing
// through the desktop's audio. The SoundFont loads in the background so that
// the window paints at once; messages sent meanwhile are played when it is in.
class FluidSynthOut : public MidiOut {
public:
    struct Options {
        std::string soundFont;
        std::string audioDriver;  // empty: default, then every other driver
        std::string audioFile;
        int periodSize = 64;
        int periods = 4;
    };

    explicit FluidSynthOut(Options options);
    ~FluidSynthOut() override;

    int open(int deviceId) override;
    int close() override;
    void shortMsg(std::uint32_t message) override;
    void setLateFailureHandler(std::function<void()> handler) override;

    // For tests: blocks until the SoundFont is in or failed; true when in.
    bool waitUntilLoaded();
    std::string audioDriverInUse() const { return driverName_; }

private:
    struct SettingsDeleter { void operator()(_fluid_hashtable_t* s) const; };
    struct SynthDeleter { void operator()(_fluid_synth_t* s) const; };
    struct DriverDeleter { void operator()(_fluid_audio_driver_t* d) const; };

    bool startAudio();
    void load();
    void dispatch(std::uint32_t message);

    Options options_;
    // Declared in creation order, so that destruction runs driver, synth, settings.
    std::unique_ptr<_fluid_hashtable_t, SettingsDeleter> settings_;
    std::unique_ptr<_fluid_synth_t, SynthDeleter> synth_;
    std::unique_ptr<_fluid_audio_driver_t, DriverDeleter> driver_;
    std::unique_ptr<FileAudioWriter> fileWriter_;  // in place of the driver when writing a file
    std::string driverName_;

    std::thread loader_;
    std::mutex mutex_;
    std::vector<std::uint32_t> pending_;
    bool loaded_ = false;
    bool failed_ = false;
    std::function<void()> lateFailure_;
    QObject opener_;  // delivers the late failure on the opening thread
};
