#pragma once

#include "platform/synth/SynthLog.h"

// Real-time scheduling for the thread that feeds the sound server, where the
// system grants it: directly (a real-time limit, as members of the audio
// group have), else through RealtimeKit on the system bus, as desktops offer
// it. Without it the thread runs as any other, and a busy machine may make
// it late.
namespace Realtime {

// Raises the calling thread; true when it now runs real-time.
bool raiseThisThread(int priority, const SynthLog& log);

}  // namespace Realtime
