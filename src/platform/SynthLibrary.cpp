#include "platform/SynthLibrary.h"

#include <dlfcn.h>

std::unique_ptr<SynthLibrary> SynthLibrary::open(const std::string& path, std::string& why)
{
    // Kept in memory once loaded: FluidSynth's SoundFont reader registers
    // types with GLib, which outlives it, and cannot register them again after
    // an unload; and the sound libraries it brings keep allocations for the
    // whole process in globals of their own.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle) {
        const char* error = dlerror();
        why = error ? error : "cannot be loaded";
        return nullptr;
    }
    const auto entry = reinterpret_cast<VelorinSynthEntry>(dlsym(handle, VELORIN_SYNTH_ENTRY));
    const VelorinSynthApi* api = entry ? entry() : nullptr;
    if (!api || api->version != VELORIN_SYNTH_API_VERSION || api->size != sizeof(VelorinSynthApi)) {
        // Another build's library, made for another program.
        why = "not a synthesizer library of this version of Velorin";
        dlclose(handle);
        return nullptr;
    }
    return std::unique_ptr<SynthLibrary>(new SynthLibrary(handle, api));
}

SynthLibrary::~SynthLibrary()
{
    dlclose(handle_);
}
