// What a MIDI part's box shows of its contents: the piano roll of its notes (velocity as
// shade) and its controller-like events as thin curves. A part is drawn exactly (a vector
// shape per note) or, where the song holds more notes than a page can carry one by one,
// aggregated: one pixel per key and column of an image, the column as wide as the
// overview's zoom needs.
#pragma once

#include <string>

#include "interchange/song.h"

namespace View {

struct RollDrawing {
    bool exact = true;
    double columnsPerQuarter = 16;  // the image's (and the curves') resolution when not exact
};

// Appends the part's piano roll (nothing for a part without notes): an <svg class="roll">
// when exact, else an <img class="roll"> of an inline PNG.
void appendRoll(std::string& out, const Interchange::Clip& part, const RollDrawing& drawing);

// Appends the part's controller-like events (nothing for a part without them) as an
// <svg class="cc">: a stepped curve per controller, pitch bend, aftertouch and program,
// each scaled to its range. Not exact: at most a few points per column.
void appendControllerCurves(std::string& out, const Interchange::Clip& part, const RollDrawing& drawing);

}  // namespace View
