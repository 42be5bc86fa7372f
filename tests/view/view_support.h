// What the view's tests share: plain songs made in code, written as pages.
#pragma once

#include <filesystem>
#include <string>

#include "interchange/song.h"
#include "view/page.h"

namespace TessaroTest {

// A song of 120 bpm in 4/4 with tracks instrument tracks named "Track 1" ..., each with
// parts MIDI parts of 4 bars one after another, each of notes notes (keys rising from 36,
// velocities through 1 to 127, a sixteenth apart) and a controller event every beat.
Interchange::Song plainSong(int tracks, int parts, int notes);

// The page of song written to file; the project file named is folder/<title>.tsp.
std::filesystem::path writeSongPage(const std::filesystem::path& file, const Interchange::Song& song,
                                    const View::Drawing& drawing = {}, const std::filesystem::path& mix = {});

}  // namespace TessaroTest
