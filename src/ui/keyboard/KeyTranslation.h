#pragma once

class QKeyEvent;

// The virtual-key code (US layout) of a key event: from the physical key
// when the event carries its X keycode, else from the Qt key (events made by
// tests or by platforms without keycodes). -1 when neither is known.
int virtualKeyCode(const QKeyEvent& event);

// The Qt key alone; shifted symbols count as their unshifted key.
int virtualKeyFromQtKey(int qtKey);
