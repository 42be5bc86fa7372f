// The demo project: a small song that touches every chunk the importer knows.
#pragma once

#include "tools/writer/project_file.h"

namespace TessaroWriter {

// Track numbers of the demo.
inline constexpr std::uint16_t kDemoPiano = 1;
inline constexpr std::uint16_t kDemoDrums = 2;
inline constexpr std::uint16_t kDemoSynth = 3;
inline constexpr std::uint16_t kDemoVocals = 4;

// File version 22, 120 bpm, 4/4, 480 ticks per whole note, a loop over the first four
// bars. Tracks: "Piano" (instrument 1) with notes, pitch bends and controllers and a delay;
// "Drums" (instrument 160, soloed) with drum pads; "Synth" (instrument 99001, muted) with
// preset data; "Vocals" (audio, "vocals.wav") with a compressor and a pan sweep. Piano and
// Vocals send to a reverb on effect bus 1; the master carries an EQ and a brickwall; the
// piano's volume has a ramp.
ProjectFile demoProject();

}  // namespace TessaroWriter
