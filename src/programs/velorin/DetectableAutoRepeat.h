#pragma once

// Asks the window system to mark a held key's repeats. Under X11 this turns
// on the keyboard extension's detectable auto-repeat for Velorin's display
// connection: X then sends repeated presses only, with no release between
// them. True when repeats can be told apart (X agreed, or another platform
// that flags them itself); false under X11 without the extension.
bool enableDetectableAutoRepeat();
