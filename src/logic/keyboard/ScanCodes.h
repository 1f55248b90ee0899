#pragma once

// The virtual-key code (US layout) of a physical key, from its X keycode
// (the evdev code + 8, as X11 and Wayland deliver it). The key map is by
// physical position, so the piano keeps its shape on any layout. -1 for a
// keycode this table does not know.
int virtualKeyFromX11Keycode(int keycode);
