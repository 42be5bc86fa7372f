// "HEAD": the song header, the first chunk of every project file. It carries the file
// version on which every later chunk's layout depends, the time base from which every
// position is converted, and the song's tempo, signature, length, loop and output settings,
// which go to the host project at once.
#include <cmath>
#include <string>

#include "hostkit/host_session.h"
#include "hostkit/output_channels.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"
#include "reader/file_limits.h"
#include "reader/reader_error.h"

namespace Tessaro {

namespace {

// The host's track template and view mode for an imported project.
constexpr Host::int32 kImportTemplate = 30;
constexpr Host::int32 kImportViewMode = 0;

// The fixed part of the header grows with the file version; the reader consumes exactly it.
std::uint32_t minimumHeaderSize(std::uint16_t version) {
    if (version >= 18) return 70;
    if (version >= 11) return 64;
    if (version >= 7) return 56;
    if (version >= 3) return 51;
    return 43;
}

// The size field and the file version, on which the header's minimum size depends.
std::uint16_t readVersion(ChunkView& in, SongModel& song) {
    const std::uint32_t size = in.readSize(0, "Header chunk size too short");
    const std::uint16_t version = in.u16In(1, 0xFFFF, "Cannot read version");
    song.header.fileVersion = version;
    if (size < minimumHeaderSize(version))
        failAt("Header chunk size " + std::to_string(size) + " too short", in.sizeFieldOffset());
    return version;
}

// The time base, the song length and the tempo, which the host's tempo track takes.
void readTimeBase(ChunkView& in, const HostSession& host, SongModel& song) {
    in.f32("Cannot read song length in seconds.");
    const std::uint16_t ticksPerWholeNote = in.u16In(16, 1000, "Cannot read ticks per whole note");
    song.header.tickBase = 48.0f / static_cast<float>(ticksPerWholeNote);
    song.header.songLength = in.u32In(0, kLargestTick, "Cannot read song length");

    // A NaN passes a range check but is no tempo: every position would become a NaN.
    const std::uint64_t tempoOffset = in.fieldOffset();
    const float tempo = in.f32In(1, 1000, "Cannot read song tempo");
    if (std::isnan(tempo)) failAt("Cannot read song tempo", tempoOffset);
    song.header.tempo = tempo;
    const float unitsPerSecond = tempo / 60.0f * 48.0f / song.header.tickBase;
    song.header.tickFactor = 1.0f / unitsPerSecond;
    if (!host.project) return;
    IPtr<Host::ITempo> tempoTrack;
    if (host.project->getTempo(unitsPerSecond, tempoTrack.put()) == Host::kResultOk &&
        tempoTrack) {
        tempoTrack->setActive(1);
        tempoTrack->setTempo(tempo);
    }
}

// The signature, with which the project's length is set.
void readSignature(ChunkView& in, const HostSession& host, const SongModel& song) {
    const std::uint8_t numerator = in.u8In(1, 64, "Cannot read signature numerator");
    const std::uint8_t denominator = in.u8In(1, 64, "Cannot read signature denominator");
    if (!host.project) return;
    const std::uint32_t lengthTicks = numerator * 480u + song.header.songLength;
    host.project->setLength(song.header.ticksToPosition(lengthTicks));
    IPtr<Host::ISignatureTrack> signatures;
    if (host.project->getSignatureTrack(signatures.put()) == Host::kResultOk && signatures)
        signatures->addSignature(0, numerator, denominator, host.edit.get());
}

// The loop and its markers, which the host's transport takes, and the ruler.
void readCycle(ChunkView& in, const HostSession& host, const SongModel& song) {
    const std::uint8_t looping = in.u8In(0, 1, "Cannot read looping");
    const auto transport = queryTo<Host::ITransport>(host.context);
    if (transport) transport->setCycleActive(looping);

    in.u32("Cannot read song cursor");  // the app's own cursor; not applied
    const std::uint32_t left = in.u32In(0, kLargestTick, "Cannot read left marker");
    const std::uint32_t right = in.u32In(0, kLargestTick, "Cannot read right marker");
    if (transport)
        transport->setCycleRange(song.header.ticksToPosition(left),
                                 song.header.ticksToPosition(right),
                                 song.header.tickFactor);

    in.u32In(0, kLargestTick, "Cannot read rulerStartTick");
    in.u32In(0, kLargestTick, "Cannot read rulerEndTick");
}

// The master's gain and pan (versions 3 to 6), or the project's sample format (version 7
// on), and what later versions added behind them.
void readOutputs(ChunkView& in, const HostSession& host, ImportNotes& notes,
                 Host::IImportTarget* target, std::uint16_t version) {
    if (version < 7) {
        if (version >= 3) {
            const float gain = in.f32In(0, 100, "Cannot read master track gain");
            setOutputVolume(host, notes, version, gain);
            const float pan = in.f32In(-1, 1, "Cannot read master track pan");
            setOutputPan(host, notes, pan);
        }
        if (target) {
            target->setSampleRate(44100);
            target->setSampleSize(16);
        }
    } else {
        // Values the host has no place for are passed over: a file that ends in them is no
        // error.
        in.skip(8);
        const std::uint32_t sampleRate = in.u32("Cannot read sample rate");
        if (target) target->setSampleRate(sampleRate);
        const std::uint8_t sampleSize = in.u8("Cannot read sample size");
        if (target) target->setSampleSize(sampleSize);
    }
    if (version >= 11) in.skip(8);
    if (version >= 18) in.skip(6);
}

}  // namespace

void readSongHeader(ChunkView& in, const HostSession& host, ImportNotes& notes, SongModel& song) {
    const auto target = queryTo<Host::IImportTarget>(host.target);
    if (target) target->prepare(kImportTemplate, kImportViewMode);

    const std::uint16_t version = readVersion(in, song);
    readTimeBase(in, host, song);
    readSignature(in, host, song);
    readCycle(in, host, song);
    song.header.declaredTrackCount = in.u16("Cannot read track count.");
    in.u16In(0, song.header.declaredTrackCount, "cannot read selected track number");
    readOutputs(in, host, notes, target.get(), version);
}

}  // namespace Tessaro
