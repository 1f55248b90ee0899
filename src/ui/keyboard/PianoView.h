#pragma once

#include "logic/keyboard/KeyMap.h"
#include "logic/keyboard/PianoModel.h"

#include <array>

class MidiSender;
class PianoKey;

// The piano's answers carried out: notes through the window's MIDI sender,
// and the one place that gives an on-screen key its pressed or released look.
class PianoView : public PianoOutput {
public:
    PianoView(MidiSender& midi, const std::array<PianoKey*, KeyMap::keyCount>& keys);

    void noteOn(int note, int velocity) override;
    void noteOff(int note, int offPatch) override;
    void showKey(int key, bool pressed, bool struck) override;

private:
    MidiSender& midi_;
    const std::array<PianoKey*, KeyMap::keyCount>& keys_;
};
