#include "tests/view/view_support.h"

namespace TessaroTest {

Interchange::Song plainSong(int tracks, int parts, int notes) {
    using namespace Interchange;
    Song song;
    song.title = {"Plain", false};
    song.hostName = "Ombrel";
    song.hostVersion = "Version 8.0.1";
    for (int t = 0; t < tracks; ++t) {
        Track track;
        track.kind = Track::Kind::Instrument;
        track.name = {"Track " + std::to_string(t + 1), false};
        track.colour = 0x3FA34D;
        track.fileNumber = t + 1;
        for (int p = 0; p < parts; ++p) {
            Clip clip;
            clip.name = {"Part " + std::to_string(p + 1), false};
            clip.time = 16.0 * p;
            clip.duration = 16;
            for (int n = 0; n < notes; ++n)
                clip.notes.push_back({n * 0.25, 0.25, 36 + n % 48, 1 + n % 127});
            for (int beat = 0; beat < 16; ++beat)
                clip.events.push_back({double(beat), ControlKind::Controller, 1, beat * 8});
            track.clips.push_back(std::move(clip));
        }
        song.tracks.push_back(std::move(track));
    }
    return song;
}

std::filesystem::path writeSongPage(const std::filesystem::path& file, const Interchange::Song& song,
                                    const View::Drawing& drawing, const std::filesystem::path& mix) {
    View::PageRequest request;
    request.projectFile = file.parent_path() / (song.title.utf8 + ".tsp");
    request.song = &song;
    request.mix = mix;
    request.generator = "view tests";
    View::writePage(file, View::pageHtml(request, drawing));
    return file;
}

}  // namespace TessaroTest
