#pragma once

// The door between the program and its MIDI ports' library (velorin-midi.so,
// with RtMidi, JACK and ALSA): one function that makes the ports with a JACK
// watch of their own. The name carries the version, so that another build's
// library is not taken for this one's.
class MidiPorts;

#define VELORIN_MIDI_ENTRY "velorin_midi_ports_1"
using VelorinMidiPortsMaker = MidiPorts* (*)();
