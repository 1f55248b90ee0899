#include "platform/synth/SynthEngine.h"

#include "platform/synth/FileAudioWriter.h"
#include "platform/synth/PulseOutput.h"
#include "platform/synth/SynthLibraryApi.h"

#include <fluidsynth.h>
#include <jack/jack.h>

#include <mutex>
#include <vector>

namespace {
// FluidSynth has one log for the process: it goes to the newest engine's log.
std::mutex logMutex;
SynthLog synthLog;

void logFromSynth(int level, const char* message, void*)
{
    std::lock_guard lock(logMutex);
    if (synthLog)
        synthLog(level <= FLUID_ERR ? VELORIN_SYNTH_WARNING : VELORIN_SYNTH_DEBUG,
                 std::string("synthesizer: ") + message);
}

void routeSynthLog(SynthLog log)
{
    std::lock_guard lock(logMutex);
    synthLog = std::move(log);
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, logFromSynth, nullptr);
}

void collectOption(void* data, const char*, const char* option)
{
    static_cast<std::vector<std::string>*>(data)->emplace_back(option);
}

// libjack writes to stderr unless told otherwise: several lines for a probe
// that finds no server, the usual case, none of them for the user. (The
// MIDI ports' watch logs them at debug level while it alone has set this.)
void quietJack(const char*) {}

// The rate of the JACK server that runs, or 0 when none does.
int jackServerRate()
{
    jack_set_error_function(&quietJack);
    jack_set_info_function(&quietJack);
    jack_status_t status;
    jack_client_t* probe = jack_client_open("Velorin probe", JackNoStartServer, &status);
    if (!probe)
        return 0;
    const int rate = static_cast<int>(jack_get_sample_rate(probe));
    jack_client_close(probe);
    return rate;
}

constexpr double defaultRate = 44100;
}  // namespace

void SynthEngine::SettingsDeleter::operator()(_fluid_hashtable_t* s) const { delete_fluid_settings(s); }
void SynthEngine::SynthDeleter::operator()(_fluid_synth_t* s) const { delete_fluid_synth(s); }
void SynthEngine::DriverDeleter::operator()(_fluid_audio_driver_t* d) const { delete_fluid_audio_driver(d); }

SynthEngine::SynthEngine(const Options& options, SynthLog log) : options_(options), log_(std::move(log)) {}

SynthEngine::~SynthEngine()
{
    // The outputs stop before the synthesizer they render goes.
    fileWriter_.reset();
    pulse_.reset();
    driver_.reset();
}

std::unique_ptr<SynthEngine> SynthEngine::open(const Options& options, SynthLog log)
{
    routeSynthLog(log);
    std::unique_ptr<SynthEngine> engine(new SynthEngine(options, std::move(log)));
    engine->settings_.reset(new_fluid_settings());
    if (!engine->settings_ || !engine->startAudio())
        return nullptr;
    return engine;
}

bool SynthEngine::makeSynth(double sampleRate)
{
    fluid_settings_t* s = settings_.get();
    double current = 0;
    if (synth_ && fluid_settings_getnum(s, "synth.sample-rate", &current) == FLUID_OK && current == sampleRate)
        return true;
    synth_.reset();
    // Only the samples of the instruments in use are read into memory.
    fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(s, "synth.polyphony", 512);
    fluid_settings_setnum(s, "synth.sample-rate", sampleRate);
    fluid_settings_setint(s, "audio.period-size", options_.periodSize);
    fluid_settings_setint(s, "audio.periods", options_.periods);
    if (!options_.audioFile.empty())
        fluid_settings_setstr(s, "audio.file.name", options_.audioFile.c_str());
    synth_.reset(new_fluid_synth(s));
    // A new synthesizer's effect delay lines hold whatever the heap held
    // before; the reset clears them, or the first tens of milliseconds play
    // that memory as a loud burst.
    if (synth_)
        fluid_synth_system_reset(synth_.get());
    return synth_ != nullptr;
}

bool SynthEngine::startAudio()
{
    const std::string& named = options_.audioDriver;
    if (named == "file")
        return startFile();
    if (named == "pulseaudio")
        return startPulse();
    if (!named.empty())
        return makeSynth(defaultRate) && startFluidDriver(named);
    if (const int rate = jackServerRate(); rate > 0 && makeSynth(rate) && startFluidDriver("jack"))
        return true;
    if (startPulse())
        return true;
    // No sound server: ALSA, then whatever else this FluidSynth offers.
    std::vector<std::string> offered;
    fluid_settings_foreach_option(settings_.get(), "audio.driver", &offered, collectOption);
    for (const auto& name : offered) {
        // Writing a file is never a fallback for the speakers; the servers were tried.
        if (name == "file" || name == "jack" || name == "pulseaudio")
            continue;
        if (makeSynth(defaultRate) && startFluidDriver(name))
            return true;
    }
    return false;
}

bool SynthEngine::startFile()
{
    // Our own writer keeps the file in step with the wall clock.
    if (!makeSynth(defaultRate))
        return false;
    fileWriter_ = std::make_unique<FileAudioWriter>(synth_.get(), options_.periodSize, defaultRate,
                                                    [this](std::uint32_t m) { dispatch(m); });
    if (!fileWriter_->start(options_.fileStart)) {
        fileWriter_.reset();
        log_(VELORIN_SYNTH_INFO, "cannot write the sound to " + options_.audioFile);
        return false;
    }
    driverName_ = "file";
    log_(VELORIN_SYNTH_INFO, "audio through file");
    return true;
}

bool SynthEngine::startPulse()
{
    auto pulse = PulseOutput::connect(log_);
    if (!pulse) {
        log_(VELORIN_SYNTH_INFO, "no sound server answers");
        return false;
    }
    if (!makeSynth(pulse->sinkRate()))
        return false;
    fluid_synth_t* synth = synth_.get();
    const bool ok = pulse->start(options_.periodSize, options_.periods, [synth](float* out, int frames) {
        fluid_synth_write_float(synth, frames, out, 0, 2, out, 1, 2);
    });
    if (!ok) {
        log_(VELORIN_SYNTH_INFO, "the sound server refused a stream");
        return false;
    }
    pulse_ = std::move(pulse);
    driverName_ = "pulseaudio";
    log_(VELORIN_SYNTH_INFO, "audio through pulseaudio");
    return true;
}

bool SynthEngine::startFluidDriver(const std::string& name)
{
    fluid_settings_setstr(settings_.get(), "audio.driver", name.c_str());
    driver_.reset(new_fluid_audio_driver(settings_.get(), synth_.get()));
    if (!driver_) {
        log_(VELORIN_SYNTH_INFO, "audio driver " + name + " did not open");
        return false;
    }
    driverName_ = name;
    log_(VELORIN_SYNTH_INFO, "audio through " + name);
    return true;
}

bool SynthEngine::loadSoundFont()
{
    if (fluid_synth_sfload(synth_.get(), options_.soundFont.c_str(), 1) == FLUID_FAILED)
        return false;
    if (fileWriter_)
        fileWriter_->setReady();
    return true;
}

void SynthEngine::send(std::uint32_t message, Clock::time_point at)
{
    if (fileWriter_)
        fileWriter_->post(message, at);
    else
        dispatch(message);
}

void SynthEngine::dispatch(std::uint32_t message)
{
    fluid_synth_t* synth = synth_.get();
    const int status = static_cast<int>(message & 0xF0);
    const int channel = static_cast<int>(message & 0x0F);
    const int data1 = static_cast<int>((message >> 8) & 0x7F);
    const int data2 = static_cast<int>((message >> 16) & 0x7F);
    switch (status) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(synth, channel, data1);
        else
            fluid_synth_noteon(synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
        break;
    default:
        break;
    }
}
