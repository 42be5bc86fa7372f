#include "bench/midi_heavy.h"

#include <string>

namespace TessaroBench {

TessaroWriter::ProjectFile midiHeavyProject(int partsPerTrack) {
    using namespace TessaroWriter;
    ProjectFile file;
    HeadChunk head;
    head.trackCount = kTracks;
    head.songLengthTicks = 0x1000000;
    file.add(head);
    for (int t = 1; t <= kTracks; ++t) {
        TrackInfoChunk track;
        track.trackNumber = static_cast<std::uint16_t>(t);
        track.trackType = kInstrumentTrack;
        track.name = FileString(std::string_view("Track " + std::to_string(t)));
        file.add(track);
        RegionChunk chunk;
        chunk.trackNumber = static_cast<std::uint16_t>(t);
        for (int p = 0; p < partsPerTrack; ++p) {
            MidiData midi;
            midi.quantizeGrid = 16;
            midi.quantizeTuplet = 1;
            const auto start = static_cast<std::uint32_t>(p * 4800);
            for (int n = 0; n < kNotesPerPart; ++n)
                midi.notes.push_back({start + static_cast<std::uint32_t>(n * 9), 30,
                                      static_cast<std::uint8_t>(36 + (n * 7 + t) % 60),
                                      static_cast<std::uint8_t>(40 + n % 80)});
            for (int e = 0; e < kEventsPerPart; ++e)
                midi.events.push_back({start + static_cast<std::uint32_t>(e * 45),
                                       static_cast<std::uint16_t>((e * 131) % 16384),
                                       static_cast<std::uint8_t>(2 + e % 4),
                                       static_cast<std::uint8_t>(e % 128)});
            Region region;
            region.position = start;
            region.length = 4800;
            region.name = FileString(std::string_view("Part " + std::to_string(p + 1)));
            region.content = std::move(midi);
            chunk.regions.push_back(std::move(region));
        }
        file.add(std::move(chunk));
    }
    return file;
}

}  // namespace TessaroBench
