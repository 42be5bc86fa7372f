// "EFFX": one insert effect of the app's mixer. The chunk holds a 16-byte header (17 from
// file version 9 on), then, at the parameter offset, the parameters of the effect's kind.
//
// The record is filed in its list as soon as its bus is known. Effects of effect buses
// create one effect channel in the host at once, effects of the master are placed on the
// master channel at once; effects of tracks wait for the track builder.
#include <cstdint>
#include <string>
#include <type_traits>

#include "effects/effect_channels.h"
#include "effects/inserts.h"
#include "hostkit/diagnostics.h"
#include "hostkit/edition.h"
#include "hostkit/host_session.h"
#include "model/effect_kinds.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"
#include "reader/reader_error.h"

namespace Tessaro {

namespace {

constexpr std::uint16_t kOffsetField = 2;  // the parameter offset counts from its own field

// One parameter as its table says, into parameters.
template <class P>
void readField(ChunkView& in, P& parameters, const ParameterField<P>& field) {
    const auto byteIn = [&] {
        return in.u8In(static_cast<std::uint8_t>(field.lo), static_cast<std::uint8_t>(field.hi),
                       field.message);
    };
    switch (field.read) {
        case ParameterRead::Unit: parameters.*field.real = in.unit(field.message); break;
        case ParameterRead::Real:
            parameters.*field.real = in.f32In(field.lo, field.hi, field.message);
            break;
        case ParameterRead::Byte: parameters.*field.byte = byteIn(); break;
        case ParameterRead::Flag: parameters.*field.flag = byteIn() != 0; break;
        case ParameterRead::ByteReal: parameters.*field.real = in.u8(field.message); break;
        case ParameterRead::Id: in.bytes<4>(field.message); break;
        case ParameterRead::Opaque: in.skip(field.size, field.message); break;
        case ParameterRead::State: {
            const std::uint64_t sizeOffset = in.fieldOffset();
            const std::uint32_t stateSize = in.u32(field.message);
            // The state is skipped, never read. A size beyond the end of the file cannot be
            // a state the file holds.
            if (stateSize > in.leftInFile()) failAt(field.message, sizeOffset);
            in.skip(stateSize, field.message);
            break;
        }
    }
}

// The parameters of the record's kind, read by its table into the record's parameters of
// that kind; a kind above the last known one has none to read.
void readParameters(const SongModel& song, EffectRecord& record, ChunkView& in) {
    visitEffectKind(record.kind, [&](const auto& table) {
        using Parameters = typename std::decay_t<decltype(table)>::Parameters;
        auto& parameters = record.parameters.template emplace<Parameters>();
        if constexpr (std::is_same_v<Parameters, DelayParameters>)
            parameters.tempo = song.header.tempo;
        forEachField(table, song.header.fileVersion, [&](const auto& field, int band) {
            if constexpr (std::is_same_v<Parameters, TonalixParameters>)
                readField(in, parameters.bands[static_cast<std::size_t>(band)], field);
            else
                readField(in, parameters, field);
        });
    });
}

// Where the effect's notes place it: a track's number, or its channel in the text.
std::int64_t noteTrack(const EffectRecord& record) { return record.bus > 0 ? record.bus : -1; }
std::string notePlace(const EffectRecord& record) {
    if (record.bus == 0) return "master: ";
    if (record.bus < 0) return "effect bus " + std::to_string(-std::int32_t{record.bus}) + ": ";
    return {};
}

void buildAfterRead(const HostSession& host, ImportNotes& notes, SongModel& song,
                    const EffectRecord& record) {
    if (record.bus < 0) {
        if (hostAllows(host, HostFeature::EffectChannels))
            createEffectChannel(host, song);
        else
            notes.add(Host::kNoteEffectChannelsNotAllowed, -1,
                      notePlace(record) + effectKindName(record.kind) +
                          ": not built; this host edition has no effect channels");
    } else if (record.bus == 0) {
        // Only the brickwall needs the master test (the channel limiter those hosts have);
        // the master's other effects go into its insert slots wherever it has them.
        if (record.kind != kEffectBrickwall) {
            buildMasterInsert(host, notes, record);
        } else if (!hostAllows(host, HostFeature::MasterBrickwall)) {
            notes.add(Host::kNoteEffectNotAllowed, -1,
                      "master: brickwall limiter: not built; this host edition has no channel "
                      "limiter");
        } else if (song.masterBrickwallPlaced) {
            notes.add(Host::kNoteBrickwallBeyondFirst, -1,
                      "master: brickwall limiter: not built; the master takes only its first");
        } else {
            buildMasterBrickwall(host, notes, record);
            song.masterBrickwallPlaced = true;
        }
    }
    // Effects of tracks wait for the track builder.
}

}  // namespace

void readEffect(ChunkView& in, const HostSession& host, ImportNotes& notes, SongModel& song) {
    in.readSize(16, "EFFX chunk size too short");

    const std::uint16_t parameterOffset = in.u16("EFFX sub chunk offset too short");
    // The header ends at the parameter offset, or where its fields end when the offset
    // points into them; the parameters follow, and the chunk loop goes on where they end.
    SubRange header = in.sub(parameterOffset > kOffsetField ? parameterOffset - kOffsetField : 0,
                             "EFFX sub chunk offset too short");
    const std::uint16_t kind = header.u16("cannot read effect type");
    const std::int16_t bus = header.i16("Cannot read effect bus.");

    // The record is filed as soon as its bus is known.
    auto& list = bus < 0 ? song.lists.effectsOnBuses : song.lists.effectsOnChannels;
    EffectRecord& record = list.emplace_back();
    record.kind = kind;
    record.bus = bus;
    record.delayMixFlag = 0;

    record.busOrder = header.u8("Cannot read effect bus order.");
    record.enabled = header.u8("cannot read effect enabled") == 1;
    record.dry = header.unit("cannot read effect dry");
    record.wet = header.unit("cannot read effect wet");
    record.mix = 0.5f - 0.5f * record.dry + 0.5f * record.wet;
    if (song.header.fileVersion >= 9) header.u8("cannot read effect automation mode");  // not kept
    header.finish();

    readParameters(song, record, in);
    record.state = kEffectParametersRead;
    if (kind == kEffectAudioUnit)
        notes.add(Host::kNoteAudioUnitState, noteTrack(record),
                  notePlace(record) +
                      "Audio Unit effect: not built; the host cannot load its stored state");

    buildAfterRead(host, notes, song, record);
}

}  // namespace Tessaro
