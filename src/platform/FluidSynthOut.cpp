#include "platform/FluidSynthOut.h"

#include "platform/FileAudioWriter.h"
#include "platform/Logging.h"

#include <QFileInfo>
#include <QMetaObject>

#include <fluidsynth.h>

#include <cstdlib>

namespace {
constexpr int errorNoDevice = 68;  // the code a missing MIDI device reports
constexpr std::size_t maxPending = 4096;

void logFromSynth(int level, const char* message, void*)
{
    if (level <= FLUID_ERR)
        qCWarning(lcMidi, "synthesizer: %s", message);
    else
        qCDebug(lcMidi, "synthesizer: %s", message);
}

void routeSynthLog()
{
    static const bool routed = [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, logFromSynth, nullptr);
        return true;
    }();
    (void)routed;
}

void collectOption(void* data, const char*, const char* option)
{
    static_cast<std::vector<std::string>*>(data)->emplace_back(option);
}
}  // namespace

void FluidSynthOut::SettingsDeleter::operator()(_fluid_hashtable_t* s) const { delete_fluid_settings(s); }
void FluidSynthOut::SynthDeleter::operator()(_fluid_synth_t* s) const { delete_fluid_synth(s); }
void FluidSynthOut::DriverDeleter::operator()(_fluid_audio_driver_t* d) const { delete_fluid_audio_driver(d); }

FluidSynthOut::FluidSynthOut(Options options) : options_(std::move(options))
{
    routeSynthLog();
    // The JACK driver would otherwise try to start a JACK server of its own.
    qputenv("JACK_NO_START_SERVER", "1");
}

FluidSynthOut::~FluidSynthOut()
{
    close();
}

void FluidSynthOut::setLateFailureHandler(std::function<void()> handler)
{
    std::lock_guard lock(mutex_);
    lateFailure_ = std::move(handler);
}

int FluidSynthOut::open(int)
{
    close();
    if (options_.soundFont.empty() || !QFileInfo(QString::fromStdString(options_.soundFont)).isFile()) {
        qCWarning(lcMidi) << "no SoundFont to load:" << options_.soundFont.c_str();
        return errorNoDevice;
    }
    settings_.reset(new_fluid_settings());
    if (!settings_)
        return errorNoDevice;
    fluid_settings_t* s = settings_.get();
    // Only the samples of the instruments in use are read into memory.
    fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(s, "synth.polyphony", 512);
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
    if (!synth_ || !startAudio()) {
        close();
        return errorNoDevice;
    }
    {
        std::lock_guard lock(mutex_);
        loaded_ = false;
        failed_ = false;
        pending_.clear();
    }
    loader_ = std::thread([this] { load(); });
    return 0;
}

bool FluidSynthOut::startAudio()
{
    fluid_settings_t* s = settings_.get();
    if (options_.audioDriver == "file") {
        // Our own writer keeps the file in step with the wall clock.
        double rate = 44100;
        fluid_settings_getnum(s, "synth.sample-rate", &rate);
        fileWriter_ = std::make_unique<FileAudioWriter>(synth_.get(), options_.periodSize, rate,
                                                        [this](std::uint32_t m) { dispatch(m); });
        if (!fileWriter_->start()) {
            fileWriter_.reset();
            qCInfo(lcMidi) << "cannot write the sound to" << options_.audioFile.c_str();
            return false;
        }
        driverName_ = "file";
        qCInfo(lcMidi) << "audio through file";
        return true;
    }
    std::vector<std::string> candidates;
    if (!options_.audioDriver.empty()) {
        candidates.push_back(options_.audioDriver);
    } else {
        char* preferred = nullptr;
        // Debian's build names no default driver: an empty name is no candidate.
        if (fluid_settings_getstr_default(s, "audio.driver", &preferred) == FLUID_OK && preferred && *preferred)
            candidates.emplace_back(preferred);
        std::vector<std::string> offered;
        fluid_settings_foreach_option(s, "audio.driver", &offered, collectOption);
        for (const auto& name : offered) {
            // Writing a file is never a fallback for the speakers.
            if (name != "file" && (candidates.empty() || name != candidates.front()))
                candidates.push_back(name);
        }
    }
    for (const auto& name : candidates) {
        fluid_settings_setstr(s, "audio.driver", name.c_str());
        driver_.reset(new_fluid_audio_driver(s, synth_.get()));
        if (driver_) {
            driverName_ = name;
            qCInfo(lcMidi) << "audio through" << name.c_str();
            return true;
        }
        qCInfo(lcMidi) << "audio driver" << name.c_str() << "did not open";
    }
    return false;
}

void FluidSynthOut::load()
{
    const bool ok = fluid_synth_sfload(synth_.get(), options_.soundFont.c_str(), 1) != FLUID_FAILED;
    std::function<void()> report;
    {
        std::lock_guard lock(mutex_);
        if (ok) {
            loaded_ = true;
            for (auto message : pending_)
                dispatch(message);
            if (fileWriter_)
                fileWriter_->setReady();
        } else {
            failed_ = true;
            report = lateFailure_;
        }
        pending_.clear();
    }
    if (ok) {
        qCInfo(lcMidi) << "SoundFont loaded:" << options_.soundFont.c_str();
    } else {
        qCWarning(lcMidi) << "the SoundFont did not load:" << options_.soundFont.c_str();
        if (report)
            QMetaObject::invokeMethod(&opener_, std::move(report), Qt::QueuedConnection);
    }
}

bool FluidSynthOut::waitUntilLoaded()
{
    if (loader_.joinable())
        loader_.join();
    std::lock_guard lock(mutex_);
    return loaded_;
}

int FluidSynthOut::close()
{
    if (loader_.joinable())
        loader_.join();
    fileWriter_.reset();
    driver_.reset();
    synth_.reset();
    settings_.reset();
    std::lock_guard lock(mutex_);
    loaded_ = false;
    pending_.clear();
    return 0;
}

void FluidSynthOut::shortMsg(std::uint32_t message)
{
    std::lock_guard lock(mutex_);
    if (!synth_ || failed_)
        return;
    if (fileWriter_) {
        // The file waits for the SoundFont, so messages keep their times.
        fileWriter_->post(message);
        return;
    }
    if (!loaded_) {
        if (pending_.size() < maxPending)
            pending_.push_back(message);
        return;
    }
    dispatch(message);
}

void FluidSynthOut::dispatch(std::uint32_t message)
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
