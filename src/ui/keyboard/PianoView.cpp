#include "ui/keyboard/PianoView.h"

#include "ui/window/QtColour.h"
#include "logic/keyboard/KeyboardLayout.h"
#include "logic/midi/MidiSender.h"
#include "ui/keyboard/PianoKey.h"

PianoView::PianoView(MidiSender& midi, const std::array<PianoKey*, KeyMap::keyCount>& keys)
    : midi_(midi), keys_(keys)
{
}

void PianoView::noteOn(int note, int velocity)
{
    midi_.sendNoteOn(note, velocity);
}

void PianoView::noteOff(int note, int offPatch)
{
    midi_.sendNoteOff(note, offPatch);
}

void PianoView::showKey(int key, bool pressed, bool struck)
{
    if (key < 0 || key >= KeyMap::keyCount)
        return;
    PianoKey* k = keys_[static_cast<std::size_t>(key)];
    k->setShownPressed(pressed);
    k->setTextColour(qColour(pressed ? KeyboardLayout::pressedText() : KeyboardLayout::releasedText()));
    // Black keys keep their background.
    if (KeyboardLayout::isWhite(key))
        k->setBackground(qColour(pressed ? KeyboardLayout::pressedWhiteBackground()
                                         : KeyboardLayout::releasedWhiteBackground()));
    if (struck)
        k->setFocus();
}
