#pragma once

#include "logic/midi/PortNotice.h"
#include "ui/window/MidiPortNotices.h"

struct Form1Controls;
class SettingsStore;
class WindowCaption;

// What the window says about its sound: the red line under the keys while
// no output works (with what to try), the foot line about the MIDI ports
// named in the settings, and the caption's "Device not ready" for both.
class SoundStatus {
public:
    SoundStatus(const Form1Controls& ui, WindowCaption& caption, SettingsStore& settings);

    // The output was opened at start-up, or failed to.
    void opened(bool ok);
    // The output that opened failed afterwards (its driver, late).
    void failedLate();
    void portNotice(const PortNotice& notice);

private:
    void showFault(bool fault);

    const Form1Controls& ui_;
    WindowCaption& caption_;
    SettingsStore& settings_;
    MidiPortNotices portNotices_;
};
