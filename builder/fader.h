// The host's fader scales and the project's output channels.
#pragma once

namespace Tessaro {

class TessaroImporter;

// The app's linear gain (volume or send level) on the host's fader scale; the caller
// truncates to an integer.
double faderValue(const TessaroImporter& importer, float gain);
// Sets the volume / pan of every output channel of the mixer.
void setOutputVolume(TessaroImporter& importer, float gain);
void setOutputPan(TessaroImporter& importer, float pan);

}  // namespace Tessaro
