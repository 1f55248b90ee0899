// The synthesizer library's one entry point: SynthEngine behind the plain C
// table of SynthLibraryApi.h.
#include "platform/synth/SynthEngine.h"
#include "platform/synth/SynthLibraryApi.h"

#include <chrono>

struct VelorinSynth {
    std::unique_ptr<SynthEngine> engine;
};

namespace {
using Clock = SynthEngine::Clock;

Clock::time_point fromNs(std::int64_t ns)
{
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns)));
}

std::string text(const char* s) { return s ? s : ""; }

VelorinSynth* openSynth(const VelorinSynthOptions* o) noexcept
try {
    if (!o || o->size != sizeof(VelorinSynthOptions))
        return nullptr;
    SynthEngine::Options options;
    options.soundFont = text(o->soundFont);
    options.audioDriver = text(o->audioDriver);
    options.audioFile = text(o->audioFile);
    options.periodSize = o->periodSize;
    options.periods = o->periods;
    options.fileStart = fromNs(o->fileStartNs);
    auto log = o->log;
    void* context = o->logContext;
    SynthLog forward = [log, context](int level, const std::string& line) {
        if (log)
            log(context, level, line.c_str());
    };
    auto engine = SynthEngine::open(options, std::move(forward));
    if (!engine)
        return nullptr;
    return new VelorinSynth{std::move(engine)};
} catch (...) {
    // Nothing thrown crosses into the program.
    return nullptr;
}

const char* driverName(const VelorinSynth* synth) { return synth->engine->driverName().c_str(); }
int loadSoundFont(VelorinSynth* synth) { return synth->engine->loadSoundFont() ? 1 : 0; }
void send(VelorinSynth* synth, std::uint32_t message, std::int64_t atNs) { synth->engine->send(message, fromNs(atNs)); }
int keepsTime(const VelorinSynth* synth) { return synth->engine->keepsTime() ? 1 : 0; }
void closeSynth(VelorinSynth* synth) { delete synth; }

const VelorinSynthApi api = {VELORIN_SYNTH_API_VERSION, sizeof(VelorinSynthApi), openSynth, driverName,
                             loadSoundFont,             send,                    keepsTime, closeSynth};
}  // namespace

extern "C" __attribute__((visibility("default"))) const VelorinSynthApi* velorin_synth_api(void)
{
    return &api;
}
