#include "tests/render/render_support.h"

#include <sndfile.h>

#include <stdexcept>

namespace TessaroTest {

namespace fs = std::filesystem;

fs::path smallSoundfont() {
    const fs::path file = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (!fs::exists(file))
        throw std::runtime_error(file.string() + " is missing: install timgm6mb-soundfont");
    return file;
}

Wave readWave(const fs::path& file) {
    SF_INFO info{};
    SNDFILE* in = sf_open(file.c_str(), SFM_READ, &info);
    if (!in) throw std::runtime_error("cannot read " + file.string() + ": " + sf_strerror(nullptr));
    Wave wave;
    wave.sampleRate = info.samplerate;
    wave.channels = info.channels;
    wave.format = info.format;
    wave.samples.resize(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    const sf_count_t read = sf_readf_float(in, wave.samples.data(), info.frames);
    sf_close(in);
    if (read != info.frames) throw std::runtime_error("cannot read all of " + file.string());
    return wave;
}

TessaroWriter::ProjectFile instrumentProject(const std::vector<InstrumentPart>& tracks, std::uint32_t bars,
                                             std::uint32_t sampleRate) {
    using namespace TessaroWriter;
    constexpr std::uint32_t kBar = 480;
    ProjectFile file;
    HeadChunk& head = file.add(HeadChunk{});
    head.trackCount = static_cast<std::uint16_t>(tracks.size());
    head.songLengthTicks = bars * kBar;
    head.songLengthSeconds = static_cast<float>(bars) * 2.0f;
    head.rulerEndTick = bars * kBar;
    head.sampleRate = sampleRate;
    std::uint16_t number = 0;
    for (const InstrumentPart& part : tracks) {
        TrackInfoChunk track;
        track.trackNumber = ++number;
        track.name = part.name;
        track.instrumentId = part.instrumentId;
        track.volume = part.volume;
        track.pan = part.pan;
        track.mute = part.mute;
        track.solo = part.solo;
        file.add(std::move(track));
        MidiData midi;
        midi.notes = part.notes;
        midi.events = part.events;
        Region region;
        region.position = 0;
        region.length = part.length;
        region.name = u"Part";
        region.content = midi;
        RegionChunk chunk;
        chunk.trackNumber = number;
        chunk.regions = {std::move(region)};
        file.add(std::move(chunk));
    }
    return file;
}

}  // namespace TessaroTest
