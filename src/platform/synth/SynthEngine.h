#pragma once

#include "platform/synth/SynthLog.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;
class FileAudioWriter;
class PulseOutput;

// FluidSynth and the audio it plays through, inside the synthesizer's
// library. With no driver named, the sound goes where the desktop's sound
// goes, in that server's own terms: to JACK when a JACK server runs, else to
// the sound server (PulseAudio, or PipeWire speaking for it) on a stream of
// Velorin's own, else to ALSA directly, else to any driver that opens.
class SynthEngine {
public:
    using Clock = std::chrono::steady_clock;

    struct Options {
        std::string soundFont;
        std::string audioDriver;
        std::string audioFile;
        int periodSize = 64;
        int periods = 4;
        Clock::time_point fileStart;  // the file's first frame
    };

    // Null when no audio opens.
    static std::unique_ptr<SynthEngine> open(const Options& options, SynthLog log);
    ~SynthEngine();

    const std::string& driverName() const { return driverName_; }
    bool loadSoundFont();
    void send(std::uint32_t message, Clock::time_point at);
    bool keepsTime() const { return fileWriter_ != nullptr; }

private:
    struct SettingsDeleter { void operator()(_fluid_hashtable_t* s) const; };
    struct SynthDeleter { void operator()(_fluid_synth_t* s) const; };
    struct DriverDeleter { void operator()(_fluid_audio_driver_t* d) const; };

    SynthEngine(const Options& options, SynthLog log);
    bool makeSynth(double sampleRate);
    bool startAudio();
    bool startFile();
    bool startPulse();
    bool startFluidDriver(const std::string& name);
    void dispatch(std::uint32_t message);

    Options options_;
    SynthLog log_;
    // Declared in creation order, so that destruction runs the outputs first,
    // then the synthesizer, then its settings.
    std::unique_ptr<_fluid_hashtable_t, SettingsDeleter> settings_;
    std::unique_ptr<_fluid_synth_t, SynthDeleter> synth_;
    std::unique_ptr<_fluid_audio_driver_t, DriverDeleter> driver_;
    std::unique_ptr<PulseOutput> pulse_;
    std::unique_ptr<FileAudioWriter> fileWriter_;  // in place of a driver when writing a file
    std::string driverName_;
};
