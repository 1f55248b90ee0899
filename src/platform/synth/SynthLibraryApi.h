#pragma once

// The door between the program and its synthesizer library (velorin-synth.so),
// which holds FluidSynth and the audio back-ends. The program opens the
// library with dlopen once its window is on the screen, so none of that is
// loaded before the window shows. Plain C types only: the two sides may come
// from different builds (a copy of the program finds the library of an
// installation), and a library whose version or sizes differ is refused.
#include <cstdint>

extern "C" {

#define VELORIN_SYNTH_API_VERSION 1u
#define VELORIN_SYNTH_ENTRY "velorin_synth_api"

struct VelorinSynth;

enum VelorinSynthLogLevel { VELORIN_SYNTH_DEBUG = 0, VELORIN_SYNTH_INFO = 1, VELORIN_SYNTH_WARNING = 2 };

struct VelorinSynthOptions {
    std::uint32_t size;       // sizeof(VelorinSynthOptions) of the caller
    const char* soundFont;
    const char* audioDriver;  // empty: the running sound server's own, else ALSA, else any that opens
    const char* audioFile;    // what the "file" driver writes
    int periodSize;           // frames per period
    int periods;              // periods the audio buffer starts with
    // Steady-clock nanoseconds of the file's first frame (the "file" driver).
    std::int64_t fileStartNs;
    void (*log)(void* context, int level, const char* text);
    void* logContext;
};

struct VelorinSynthApi {
    std::uint32_t version;  // VELORIN_SYNTH_API_VERSION
    std::uint32_t size;     // sizeof(VelorinSynthApi)
    // Makes the synthesizer and starts its audio; null when no audio opens.
    VelorinSynth* (*open)(const VelorinSynthOptions* options);
    // The driver that opened: "pulseaudio", "jack", "alsa", "file", ...
    const char* (*driverName)(const VelorinSynth* synth);
    // Loads the SoundFont; 1 when it is in, 0 when it did not load.
    int (*loadSoundFont)(VelorinSynth* synth);
    // Plays a packed short message. atNs (steady clock) is when it was
    // played; only an output that keeps time (the file) uses it.
    void (*send)(VelorinSynth* synth, std::uint32_t message, std::int64_t atNs);
    // 1 when send places each message at its own time (the file driver).
    int (*keepsTime)(const VelorinSynth* synth);
    // Stops the audio and frees the synthesizer.
    void (*close)(VelorinSynth* synth);
};

// The one symbol the library exports.
const VelorinSynthApi* velorin_synth_api(void);
typedef const VelorinSynthApi* (*VelorinSynthEntry)(void);
}
