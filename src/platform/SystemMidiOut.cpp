#include "platform/SystemMidiOut.h"

#include "platform/FluidSynthOut.h"
#include "platform/MidiConfig.h"
#include "platform/RtMidiPortOut.h"

#include <QFileInfo>

namespace {
std::string firstExisting(const std::vector<std::string>& candidates)
{
    for (const auto& path : candidates)
        if (QFileInfo(QString::fromStdString(path)).isFile())
            return path;
    return {};
}
}  // namespace

SystemMidiOut::SystemMidiOut(const SettingsStore& settings) : settings_(settings) {}

SystemMidiOut::~SystemMidiOut() = default;

int SystemMidiOut::open(int deviceId)
{
    close();
    if (deviceId >= 0) {
        current_ = std::make_unique<RtMidiPortOut>();
    } else {
        const MidiConfig config = MidiConfig::read(settings_);
        if (!config.output.empty()) {
            current_ = std::make_unique<RtMidiPortOut>(config.output);
        } else {
            FluidSynthOut::Options options;
            options.soundFont = config.soundFont.empty() ? firstExisting(MidiConfig::defaultSoundFonts())
                                                         : config.soundFont;
            options.audioDriver = config.audioDriver;
            options.audioFile = config.audioFile;
            options.periodSize = config.periodSize;
            options.periods = config.periods;
            current_ = std::make_unique<FluidSynthOut>(std::move(options));
        }
    }
    current_->setLateFailureHandler(lateFailure_);
    const int result = current_->open(deviceId);
    if (result != 0)
        current_.reset();
    return result;
}

int SystemMidiOut::close()
{
    const int result = current_ ? current_->close() : 0;
    current_.reset();
    return result;
}

void SystemMidiOut::shortMsg(std::uint32_t message)
{
    if (current_)
        current_->shortMsg(message);
}

void SystemMidiOut::setLateFailureHandler(std::function<void()> handler)
{
    lateFailure_ = std::move(handler);
    if (current_)
        current_->setLateFailureHandler(lateFailure_);
}
