#include "platform/SystemMidiOut.h"

#include "platform/FluidSynthOut.h"
#include "platform/MidiConfig.h"
#include "platform/MidiPorts.h"
#include "platform/Paths.h"
#include "platform/QtFiles.h"

#include <QFileInfo>

#include <utility>

namespace {
std::string firstExisting(const std::vector<std::string>& candidates)
{
    for (const auto& path : candidates)
        if (QFileInfo(QString::fromStdString(path)).isFile())
            return path;
    return {};
}
}  // namespace

SystemMidiOut::SystemMidiOut(const SettingsStore& settings, MidiPorts& ports) : settings_(settings), ports_(ports) {}

SystemMidiOut::~SystemMidiOut() = default;

int SystemMidiOut::open(int deviceId)
{
    close();
    bool port = false;
    if (deviceId >= 0) {
        current_ = ports_.output(std::string());
        port = true;
    } else {
        const MidiConfig config = MidiConfig::read(settings_);
        if (!config.output.empty()) {
            current_ = ports_.output(config.output);
            port = true;
        } else {
            FluidSynthOut::Options options;
            options.soundFont = config.soundFont.empty() ? firstExisting(MidiConfig::defaultSoundFonts())
                                                         : config.soundFont;
            options.audioDriver = config.audioDriver;
            options.audioFile = config.audioFile;
            options.periodSize = config.periodSize;
            options.periods = config.periods;
            options.library = Paths::fromEnvironment().synthesizerLibrary(QtFiles());
            options.held = synthHeld_;
            auto synth = std::make_unique<FluidSynthOut>(std::move(options));
            // The synthesizer's own JACK client is beyond the watch's reach.
            synth->setAudioOpenedHandler([this](const std::string& driver) {
                if (driver == "jack" && !synthOnJack_.exchange(true))
                    ports_.addUnmanagedClient();
            });
            current_ = std::move(synth);
        }
    }
    if (!current_)
        return MidiPortOut::errorNoDevice;  // no MIDI ports at all
    current_->setLateFailureHandler(lateFailure_);
    current_->setNoticeHandler(notice_);
    const int result = current_->open(deviceId);
    if (result != 0 && !(port && static_cast<const MidiPortOut&>(*current_).isLooking()))
        current_.reset();
    return result;
}

void SystemMidiOut::releaseSynthesizer()
{
    synthHeld_ = false;
    if (auto* synth = dynamic_cast<FluidSynthOut*>(current_.get()))
        synth->release();
}

int SystemMidiOut::close()
{
    const int result = current_ ? current_->close() : 0;
    current_.reset();
    if (synthOnJack_.exchange(false))
        ports_.removeUnmanagedClient();
    return result;
}

void SystemMidiOut::shortMsg(std::uint32_t message)
{
    if (current_)
        current_->shortMsg(message);
}

void SystemMidiOut::setNoticeHandler(PortNoticeHandler handler)
{
    notice_ = std::move(handler);
    if (current_)
        current_->setNoticeHandler(notice_);
}

void SystemMidiOut::setLateFailureHandler(std::function<void()> handler)
{
    lateFailure_ = std::move(handler);
    if (current_)
        current_->setLateFailureHandler(lateFailure_);
}
