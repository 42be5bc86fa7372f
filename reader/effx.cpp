// "EFFX": one insert effect of the app's mixer. The chunk holds a 16-byte header (17 from
// file version 9 on), then, at the parameter offset, the parameters of the effect's kind.
//
// The record is filed in its list as soon as its bus is known. Effects of effect buses
// create one effect channel in the host at once, effects of the master are placed on the
// master channel at once; effects of tracks wait for the track builder.
#include <cstdint>
#include <string>

#include "effects/effect_channels.h"
#include "effects/inserts.h"
#include "hostkit/edition.h"
#include "hostkit/host_session.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"
#include "reader/effect_sizes.h"
#include "reader/reader_error.h"

namespace Tessaro {

namespace {

void readLimiter(EffectRecord& r, ChunkView& in) {
    r.limiterGain = in.unit("cannot read limiter gain");
    r.limiterDrive = in.unit("cannot read limiter drive");
    r.limiterAttack = in.unit("cannot read limiter attack");
    r.limiterRelease = in.unit("cannot read limiter release");
}

void readReverb(EffectRecord& r, ChunkView& in) {
    r.reverbTime = in.unit("cannot read reverb time");
    r.reverbPreDelay = in.unit("cannot read reverb preDelay");
    r.reverbDamp = in.unit("cannot read reverb damp");
    r.reverbLowEq = in.unit("cannot read reverb low EQ");
    r.reverbHighEq = in.unit("cannot read reverb high EQ");
}

void readDelay(EffectRecord& r, ChunkView& in, float tempo) {
    r.delayTempo = tempo;
    r.delayBeat = in.u8In(1, 64, "cannot read delay beat");
    r.delayTiming = in.u8In(1, 3, "cannot read delay timing");
    r.delayFeedback = in.unit("cannot read delay feedback");
}

void readEq(EffectRecord& r, ChunkView& in) {
    r.eqGain = in.unit("cannot read EQ gain");
    r.eqBass = in.unit("cannot read EQ bass");
    r.eqTreble = in.unit("cannot read EQ treble");
}

void readChorus(EffectRecord& r, ChunkView& in) {
    r.chorusRate = in.unit("cannot read chorus rate");
    r.chorusDepth = in.unit("cannot read chorus depth");
    r.chorusPreDelay = in.unit("cannot read chorus preDelay");
}

void readFilter(EffectRecord& r, ChunkView& in) {
    r.filterType = in.u8In(0, 2, "cannot read filter type");
    r.filterFrequency = in.unit("cannot read filter frequency");
    r.filterResonance = in.unit("cannot read filter resonance");
}

void readCompressor(EffectRecord& r, ChunkView& in) {
    r.compressorGain = in.unit("cannot read compressor gain");
    r.compressorThreshold = in.unit("cannot read compressor threshold");
    r.compressorRatio = in.unit("cannot read compressor ratio");
    r.compressorAttack = in.unit("cannot read compressor attack");
    r.compressorRelease = in.unit("cannot read compressor release");
}

void readOverdrive(EffectRecord& r, ChunkView& in) {
    r.overdriveDrive = in.unit("cannot read overdrive drive");
    r.overdriveBias = in.unit("cannot read overdrive bias");
    r.overdriveOutgain = in.unit("cannot read overdrive outgain");
}

void readAmpSimulator(EffectRecord& r, ChunkView& in) {
    r.ampModel = in.u8In(0, 100, "cannot read ampsim model");
    r.ampDrive = in.unit("cannot read ampsim drive");
    r.ampFeedback = in.unit("cannot read ampsim feedback");
    r.ampTreble = in.unit("cannot read ampsim treble");
    // The app names the stereo switch after the overdrive.
    r.ampStereo = in.u8In(0, 1, "cannot read overdrive stereo") != 0;
}

void readPhaser(EffectRecord& r, ChunkView& in) {
    r.phaserRate = in.unit("cannot read phaser rate");
    r.phaserDepth = in.unit("cannot read phaser depth");
    r.phaserFeedback = in.unit("cannot read phaser feedback");
    r.phaserWidth = in.unit("cannot read phaser width");
    r.phaserPhase = in.unit("cannot read phaser phase");
}

void readFlanger(EffectRecord& r, ChunkView& in) {
    // The app reports the flanger's last three fields with the phaser's texts.
    r.flangerRate = in.unit("cannot read flanger rate");
    r.flangerDepth = in.unit("cannot read phaser depth");
    r.flangerFeedback = in.unit("cannot read phaser feedback");
    r.flangerPreDelay = in.unit("cannot read phaser preDelay");
}

void readTonalix(EffectRecord& r, ChunkView& in) {
    for (std::size_t band = 0; band < r.tonalix.size(); ++band) {
        TonalixBand& b = r.tonalix[band];
        b.enabled = in.u8In(0, 1, "cannot read Tonalix enabled") != 0;
        // Only the outer bands have a type (shelf, pass, ...).
        if (band == 0 || band == 3) b.type = in.u8In(0, 3, "cannot read Tonalix type");
        b.gain = in.f32In(-24.0f, 24.0f, "cannot read Tonalix gain");
        b.frequency = in.f32In(20.0f, 20000.0f, "cannot read Tonalix frequency");
        b.q = in.f32In(0.0f, 12.0f, "cannot read Tonalix Q");
    }
}

void readBrickwall(EffectRecord& r, ChunkView& in) {
    r.brickwallThreshold = in.f32In(-20.0f, 0.0f, "cannot read brickwall threshold");
    r.brickwallRelease = in.f32In(3.0f, 1000.0f, "cannot read brickwall release");
}

void readGate(EffectRecord& r, ChunkView& in) {
    r.gateGain = in.unit("cannot read gate gain");
    r.gateThreshold = in.unit("cannot read gate threshold");
    r.gateRange = in.unit("cannot read gate range");
    r.gateAttack = in.unit("cannot read gate attack");
    r.gateRelease = in.unit("cannot read gate release");
}

void readWhirlo(EffectRecord& r, ChunkView& in) {
    r.whirloGrid = in.unit("cannot read Whirlo grid");
    r.whirloFilterType = in.u8In(0, 2, "cannot read Whirlo filter type");
}

void readLanefix(EffectRecord& r, ChunkView& in, std::uint16_t fileVersion) {
    r.lanefixFilterBypass = in.u8In(0, 1, "cannot read Lanefix lanefixFilterBypass") != 0;
    r.lanefixFilterLowCut = in.unit("cannot read Lanefix lanefixFilterLowCut");
    r.lanefixFilterHighCut = in.unit("cannot read Lanefix lanefixFilterHighCut");
    r.lanefixCompBypass = in.u8In(0, 1, "cannot read Lanefix lanefixCompBypass") != 0;
    r.lanefixCompAutoMakeup = in.u8("cannot read Lanefix lanefixCompMakeup") != 0;
    r.lanefixCompRatio = in.unit("cannot read Lanefix lanefixCompRatio");
    r.lanefixCompThreshold = in.unit("cannot read Lanefix lanefixCompThreshold");
    r.lanefixCompAttack = in.unit("cannot read Lanefix lanefixCompAttack");
    r.lanefixCompRelease = in.unit("cannot read Lanefix lanefixCompRelease");
    r.lanefixCompMakeup = in.f32("cannot read Lanefix lanefixCompMakeup");
    r.lanefixGateBypass = in.u8("cannot read Lanefix lanefixGateBypass") != 0;
    r.lanefixGateThreshold = in.f32("cannot read Lanefix lanefixGateThreshold");
    r.lanefixGateAttack = in.f32("cannot read Lanefix lanefixGateAttack");
    r.lanefixGateRelease = in.f32("cannot read Lanefix lanefixGateRelease");
    r.lanefixGateRange = in.f32("cannot read Lanefix lanefixGateRange");
    r.lanefixGateFrequency = in.f32("cannot read Lanefix lanefixGateFrequency");
    r.lanefixGateQ = in.f32("cannot read Lanefix lanefixGateQ");
    r.lanefixSatBypass = in.u8In(0, 1, "cannot read Lanefix lanefixSatBypass") != 0;
    r.lanefixSatType = in.u8("cannot read Lanefix lanefixSatType");
    r.lanefixSatDrive = in.unit("cannot read Lanefix lanefixSatDrive");
    r.lanefixSatEqLow = in.unit("cannot read Lanefix lanefixSatEqLow");
    r.lanefixSatEqHigh = in.unit("cannot read Lanefix lanefixSatEqHigh");
    r.lanefixSatGain = in.unit("cannot read Lanefix lanefixSatGain");
    if (fileVersion >= 21) {
        r.lanefixCompAutoRelease = in.u8("cannot read Lanefix lanefixCompAutoRelease") != 0;
        r.lanefixGateSidechain = in.u8("cannot read Lanefix lanefixGateSidechain") != 0;
        r.lanefixGateListen = in.u8("cannot read Lanefix lanefixGateListen") != 0;
    }
}

void readHallvaneLite(EffectRecord& r, ChunkView& in) {
    r.hallvanePreDelay = in.unit("cannot read Hallvane Lite hallvaneLitePreDelay");
    r.hallvaneTime = in.unit("cannot read Hallvane Lite hallvaneLiteTime");
    r.hallvaneDiffusion = in.unit("cannot read Hallvane Lite hallvaneLiteDiffusion");
    r.hallvaneLowEq = in.unit("cannot read Hallvane Lite hallvaneLiteLowEq");
    r.hallvaneHighEq = in.unit("cannot read Hallvane Lite hallvaneLiteHighEq");
}

// Reads the parameters of the record's kind.
void readParameters(const SongModel& song, EffectRecord& r, ChunkView& in) {
    switch (r.kind) {
        case kEffectLimiter: readLimiter(r, in); break;
        case kEffectReverb: readReverb(r, in); break;
        case kEffectDelay: readDelay(r, in, song.header.tempo); break;
        case kEffectEq: readEq(r, in); break;
        case kEffectChorus: readChorus(r, in); break;
        case kEffectFilter: readFilter(r, in); break;
        case kEffectCompressor: readCompressor(r, in); break;
        case kEffectOverdrive: readOverdrive(r, in); break;
        case kEffectAmpSimulator: readAmpSimulator(r, in); break;
        case kEffectPhaser: readPhaser(r, in); break;
        case kEffectFlanger: readFlanger(r, in); break;
        case kEffectTonalixEq: readTonalix(r, in); break;
        case kEffectBrickwall: readBrickwall(r, in); break;
        case kEffectInterAppAudio: {
            // The identifier is not kept.
            std::uint8_t id[4];
            if (!in.readBytes(id, sizeof id)) fail("cannot read IAA effect ID");
            break;
        }
        case kEffectInputPhase: break;
        case kEffectGate: readGate(r, in); break;
        case kEffectAudioUnit: {
            std::uint8_t id[4];
            if (!in.readBytes(id, sizeof id)) fail("cannot read AU ID");
            const std::uint64_t sizeOffset = in.fieldOffset();
            const std::uint32_t stateSize = in.u32("cannot read AUStateByteSize");
            // The state is not kept: it is skipped, never read. A size beyond the end of the
            // file cannot be a state the file holds.
            if (stateSize > in.leftInFile()) failAt("cannot read AUStateByteSize", sizeOffset);
            in.skip(stateSize, "cannot read AUStateByteSize");
            break;
        }
        case kEffectWhirlo: readWhirlo(r, in); break;
        case kEffectLanefix: readLanefix(r, in, song.header.fileVersion); break;
        case kEffectHallvaneLite: readHallvaneLite(r, in); break;
        default:
            // Kinds the importer does not convert (16 to 27) are passed over by their size;
            // kinds above the last known one have no parameters to read.
            in.skip(effectParameterSize(r.kind, song.header.fileVersion),
                    "EFFX sub chunk offset too short");
            break;
    }
}

// Where the effect's notes place it: a track's number, or its channel in the text.
std::int64_t noteTrack(const EffectRecord& record) { return record.bus > 0 ? record.bus : -1; }
std::string notePlace(const EffectRecord& record) {
    if (record.bus == 0) return "master: ";
    if (record.bus < 0) return "effect bus " + std::to_string(-std::int32_t{record.bus}) + ": ";
    return {};
}

void buildAfterRead(const HostSession& host, SongModel& song, const EffectRecord& record) {
    if (record.bus < 0) {
        if (hostAllows(host, HostFeature::EffectChannels))
            createEffectChannel(host, song);
        else
            host.note(Host::kNoteEffectChannelsNotAllowed, -1,
                      notePlace(record) + effectKindName(record.kind) +
                          ": not built; this host edition has no effect channels");
    } else if (record.bus == 0) {
        // Only the brickwall needs the master test (the channel limiter those hosts have);
        // the master's other effects go into its insert slots wherever it has them.
        if (record.kind != kEffectBrickwall) {
            buildMasterInsert(host, record);
        } else if (!hostAllows(host, HostFeature::MasterBrickwall)) {
            host.note(Host::kNoteEffectNotAllowed, -1,
                      "master: brickwall limiter: not built; this host edition has no channel "
                      "limiter");
        } else if (song.masterBrickwallPlaced) {
            host.note(Host::kNoteBrickwallBeyondFirst, -1,
                      "master: brickwall limiter: not built; the master takes only its first");
        } else {
            buildMasterBrickwall(host, record);
            song.masterBrickwallPlaced = true;
        }
    }
    // Effects of tracks wait for the track builder.
}

}  // namespace

void readEffect(ChunkView& in, HostSession& host, SongModel& song) {
    in.readSize(16, "EFFX chunk size too short");

    const std::uint16_t parameterOffset = in.u16("EFFX sub chunk offset too short");
    const std::uint16_t kind = in.u16("cannot read effect type");
    const std::int16_t bus = in.i16("Cannot read effect bus.");

    auto& list = bus < 0 ? song.lists.effectsOnBuses : song.lists.effectsOnChannels;
    list.emplace_back();
    EffectRecord& record = list.back();
    record.kind = kind;
    record.bus = bus;
    record.delayMixFlag = 0;

    record.busOrder = in.u8("Cannot read effect bus order.");
    record.enabled = in.u8("cannot read effect enabled") == 1;
    record.dry = in.unit("cannot read effect dry");
    record.wet = in.unit("cannot read effect wet");
    record.mix = 0.5f - 0.5f * record.dry + 0.5f * record.wet;
    if (song.header.fileVersion >= 9) in.u8("cannot read effect automation mode");  // not kept

    // The parameters begin at the offset, or directly behind the header when the offset
    // points into it; the chunk loop goes on from where they end.
    if (in.consumed() < parameterOffset)
        in.skip(parameterOffset - in.consumed(), "EFFX sub chunk offset too short");
    if (kind <= kEffectLastKnown) readParameters(song, record, in);
    record.state = 2;
    if (kind == kEffectAudioUnit)
        host.note(Host::kNoteAudioUnitState, noteTrack(record),
                  notePlace(record) +
                      "Audio Unit effect: not built; the host cannot load its stored state");

    buildAfterRead(host, song, record);
}

}  // namespace Tessaro
