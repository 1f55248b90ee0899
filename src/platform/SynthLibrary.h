#pragma once

#include "platform/synth/SynthLibraryApi.h"

#include <memory>
#include <string>

// The synthesizer's library (velorin-synth.so), opened with dlopen: FluidSynth
// and the audio back-ends come into the process only with it. Closed again
// when this goes, after everything made through it.
class SynthLibrary {
public:
    // Null, with the reason in why, when the file cannot be loaded or is not
    // a synthesizer library this program can use.
    static std::unique_ptr<SynthLibrary> open(const std::string& path, std::string& why);
    ~SynthLibrary();

    SynthLibrary(const SynthLibrary&) = delete;
    SynthLibrary& operator=(const SynthLibrary&) = delete;

    const VelorinSynthApi& api() const { return *api_; }

private:
    SynthLibrary(void* handle, const VelorinSynthApi* api) : handle_(handle), api_(api) {}

    void* handle_;
    const VelorinSynthApi* api_;
};
