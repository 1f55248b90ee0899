#include "ui/window/SoundStatus.h"

#include "logic/base/SettingsStore.h"
#include "ui/window/Form1Controls.h"
#include "ui/window/WindowCaption.h"

#include <QLabel>

SoundStatus::SoundStatus(const Form1Controls& ui, WindowCaption& caption, SettingsStore& settings)
    : ui_(ui), caption_(caption), settings_(settings), portNotices_(*ui.midiNotice)
{
}

void SoundStatus::opened(bool ok)
{
    showFault(!ok);
}

void SoundStatus::failedLate()
{
    showFault(true);
}

void SoundStatus::showFault(bool fault)
{
    caption_.setFault(WindowCaption::Fault::OutputFailed, fault);
    if (fault) {
        const std::string port = settings_.value("midi", "output");
        ui_.setDeviceFault(
            port.empty()
                ? QStringLiteral("No sound: the sound output could not be opened. Check that a sound server (PipeWire "
                                 "or PulseAudio) runs and a General MIDI SoundFont is installed (fluid-soundfont-gm), "
                                 "or name a MIDI port as midi/output in ~/.config/velorin/velorin.ini; then start "
                                 "Velorin again.")
                : QStringLiteral("No sound: the MIDI port \"%1\" named as midi/output in "
                                 "~/.config/velorin/velorin.ini is not there. Velorin plays into it as soon as it "
                                 "appears; without midi/output it plays through its own synthesizer.")
                      .arg(QString::fromStdString(port)));
    }
    ui_.deviceFault->setVisible(fault);
}

void SoundStatus::portNotice(const PortNotice& notice)
{
    portNotices_.show(notice);
    if (notice.direction != PortNotice::Direction::Output)
        return;
    if (notice.problem) {
        caption_.setFault(WindowCaption::Fault::OutputPortMissing, true);
        return;
    }
    // The port is back: so is the sound, however the output failed before.
    caption_.setFault(WindowCaption::Fault::OutputFailed, false);
    caption_.setFault(WindowCaption::Fault::OutputPortMissing, false);
    ui_.deviceFault->hide();
}
