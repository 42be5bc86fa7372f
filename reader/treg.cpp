// "TREG": the regions of the track whose "TINF" chunk came last.
//
//   u32 chunk size, u16 region header size, u16 track number, u32 region count, then per
//   region a header (u32 position, u32 length, f32 gain, u8 mute, u32 attack, u32 release,
//   string name, extra bytes up to the header size) and one sub-chunk of the track's kind.
//
// The reader creates the host objects as it goes; every sub-chunk is taken to its declared
// end.
#include <algorithm>
#include <tuple>

#include "base/iptr.h"
#include "hostkit/diagnostics.h"
#include "hostkit/host_session.h"
#include "instruments/quantize.h"
#include "model/song_model.h"
#include "reader/chunk_view.h"
#include "reader/chunks.h"
#include "reader/file_limits.h"
#include "reader/reader_error.h"
#include "reader/regions.h"

namespace Tessaro {

namespace {

constexpr std::uint32_t kMinChunkSize = 8;
constexpr std::uint16_t kMinRegionHeaderSize = 23;  // the fixed fields and the name's count
// A sub-chunk's size counts its own size field; its smallest sizes are the fixed fields.
constexpr std::uint32_t kSubChunkSizeField = 4;
constexpr std::uint32_t kMinAudioSubChunk = 30;
constexpr std::uint32_t kMinMidiSubChunk = 26;
constexpr std::uint32_t kMinMidiSubChunkVersion1 = 25;  // no tuplet byte

// Event types that create host events; others are read and passed over.
enum EventType : std::uint8_t { kPitchBend = 2, kAftertouch = 3, kProgramChange = 4, kController = 5 };

// A note record: its fields, then the rest of its record size, skipped.
constexpr std::tuple kNoteFields{
    TypedField<std::uint32_t>{"cannot read note position in track", 0, kLargestTick},
    TypedField<std::uint32_t>{"cannot read note length in track", 0, kLargestTick},
    TypedField<std::uint8_t>{"cannot read note key in track"},
    TypedField<std::uint8_t>{"cannot read note velocity in track", 0, 127},
};
// An event record before version 10: a position and a value (a pitch bend on the old
// scale); from version 10 a type and a key follow. Then the rest of its record size.
constexpr std::tuple kOldEventFields{
    TypedField<std::uint32_t>{"cannot read event position in track", 0, kLargestTick},
    TypedField<std::uint16_t>{"cannot read event value in track"},
};
constexpr auto kEventFields = std::tuple_cat(
    kOldEventFields, std::tuple{TypedField<std::uint8_t>{"cannot read event type in track"},
                                TypedField<std::uint8_t>{"cannot read event key in track"}});
constexpr auto kNoteFieldBytes = static_cast<std::uint8_t>(recordSize(kNoteFields));
constexpr auto kMinEventRecordSize = static_cast<std::uint8_t>(recordSize(kOldEventFields));

RegionHeader readRegionHeader(ChunkView& in, std::uint16_t headerSize) {
    RegionHeader r;
    r.position = in.u32("cannot read region pos of track");
    r.length = in.u32("cannot read region length of track");
    r.gain = in.f32In(0.0f, 100.0f, "cannot read region gain of track");
    r.mute = in.u8In(0, 1, "cannot read region mute of track");
    r.attack = in.u32("cannot read region attack of track");
    r.release = in.u32("cannot read region release of track");
    r.name = in.text();
    if (headerSize > kMinRegionHeaderSize) in.skip(headerSize - kMinRegionHeaderSize);
    return r;
}

// The host side of one MIDI region: the part in the track's event list and the notes and
// events in the part's own list. When the host cannot make the part, the region is still
// read to its end and nothing is created for it.
class MidiPartWriter {
public:
    MidiPartWriter(const HostSession& host, const SongModel& song, Host::IObjectFactory* factory)
        : song_(song), factory_(factory), edit_(host.edit.get()) {}

    void createPart(const RegionHeader& region) {
        if (!factory_ || !edit_ || !song_.track.host) return;
        if (song_.track.host->getEventList(trackList_.put()) != Host::kResultOk)
            trackList_.reset();
        // A list the host could not prepare takes no part.
        if (!trackList_ || trackList_->prepare(Host::IEventList::kMidi) != Host::kResultOk) {
            trackList_.reset();
            return;
        }
        if (factory_->createObject("MIDI part", part_.put()) != Host::kResultOk) part_.reset();
        if (!part_) return;
        const auto midiPart = queryTo<Host::IMidiPart>(part_);
        if (midiPart) midiPart->setPartName(region.name.c_str());
        // A part the list does not take is not set further, nor filled.
        if (!insert(trackList_.get(), part_.get())) {
            part_.reset();
            return;
        }
        if (midiPart && midiPart->getEventList(partList_.put()) != Host::kResultOk)
            partList_.reset();
        if (auto event = queryTo<Host::IEvent>(part_)) {
            event->setStart(trackList_.get(), song_.header.ticksToPosition(region.position), edit_);
            event->setLength(trackList_.get(), song_.header.ticksToPosition(region.length), edit_);
            event->setMute(trackList_.get(), region.mute, edit_);
        }
    }

    void setQuantization(std::uint8_t grid, std::uint8_t tuplet) {
        if (part_) setQuantize(part_.get(), grid, tuplet);
    }

    // A new object of kind in the part's event list; empty when there is no part or the
    // host does not take the object.
    IPtr<Host::FUnknown> createInPart(const char* kind) {
        IPtr<Host::FUnknown> object;
        if (!partList_) return object;
        if (factory_->createObject(kind, object.put()) != Host::kResultOk) object.reset();
        if (object && !insert(partList_.get(), object.get())) object.reset();
        return object;
    }

    Host::IEventList* partList() const { return partList_.get(); }
    Host::IEditContext* edit() const { return edit_; }

private:
    bool insert(Host::IEventList* list, Host::FUnknown* object) {
        return edit_->insertObject(list, object) == Host::kResultOk;
    }

    const SongModel& song_;
    Host::IObjectFactory* factory_;  // borrowed for the chunk
    Host::IEditContext* edit_;       // borrowed from the host session
    IPtr<Host::IEventList> trackList_;
    IPtr<Host::FUnknown> part_;
    IPtr<Host::IEventList> partList_;
};

// One note record as the file holds it.
struct NoteRecord {
    std::uint32_t position = 0;  // ticks from the song's start
    std::uint32_t length = 0;    // ticks
    std::uint8_t key = 0;
    std::uint8_t velocity = 0;
};

// One event record as the file holds it. Before version 10 the record has no type and no
// key: it is a pitch bend on the old scale.
struct EventRecord {
    std::uint32_t position = 0;  // ticks from the song's start
    std::uint16_t value = 0;
    std::uint8_t type = kPitchBend;
    std::uint8_t key = 0;
};

void placeNote(const SongModel& song, MidiPartWriter& part, const RegionHeader& region,
               const NoteRecord& record) {
    Host::IEventList* list = part.partList();
    Host::IEditContext* edit = part.edit();
    const auto note = part.createInPart("note");
    if (const auto event = queryTo<Host::IEvent>(note)) {
        // A note may lie before its region's start: the offset is signed.
        const auto offset = static_cast<std::int64_t>(record.position) -
                            static_cast<std::int64_t>(region.position);
        event->setStart(
            list, static_cast<double>(static_cast<float>(offset) * song.header.tickFactor), edit);
        event->setLength(list, song.header.ticksToPosition(record.length), edit);
    }
    if (const auto noteEvent = queryTo<Host::INoteEvent>(note)) {
        noteEvent->setPitch(list, record.key, edit);
        noteEvent->setVelocity(list, record.velocity, edit);
    }
}

void readNotes(const SongModel& song, ChunkView& in, MidiPartWriter& part,
               const RegionHeader& region) {
    const std::uint8_t recordSize =
        in.u8In(kNoteFieldBytes, 0xFF, "cannot read note byte size of track");
    const std::uint32_t count =
        in.u32In(0, kMostRecordsPerRegion, "cannot read note count of track");
    in.requireRecords(count, recordSize, kNoteFields);
    for (std::uint32_t i = 0; i < count; ++i) {
        // The whole record first: a record cut short leaves no note behind.
        NoteRecord record;
        std::tie(record.position, record.length, record.key, record.velocity) =
            in.readRecord(kNoteFields);
        if (recordSize > kNoteFieldBytes) in.skip(recordSize - kNoteFieldBytes);
        placeNote(song, part, region, record);
    }
}

// The host's event kind of an event type; null for the types it has none for.
const char* eventKind(std::uint8_t type) {
    switch (type) {
        case kPitchBend: return "pitchbend";
        case kAftertouch: return "aftertouch";
        case kProgramChange: return "program change";
        case kController: return "controller";
        default: return nullptr;
    }
}

// Makes the host event of a record whose type has one.
void placeEvent(const SongModel& song, MidiPartWriter& part, const EventRecord& record) {
    Host::IEventList* list = part.partList();
    Host::IEditContext* edit = part.edit();
    const auto object = part.createInPart(eventKind(record.type));
    if (auto event = queryTo<Host::IEvent>(object))
        event->setStart(list, song.header.ticksToPosition(record.position), edit);
    const auto control = queryTo<Host::IControlEvent>(object);
    if (!control) return;
    switch (record.type) {
        case kPitchBend:
            control->setData(list, 0, record.value & 0x7F, edit);
            control->setData(list, 1, (record.value >> 7) & 0x7F, edit);
            break;
        case kController:
            control->setData(list, 0, record.key, edit);
            control->setData(list, 1, record.value, edit);
            break;
        default:
            control->setData(list, 0, record.value, edit);
            break;
    }
}

// Returns how many events were of types the host has no event for (and were skipped).
std::uint32_t readEvents(const SongModel& song, ChunkView& in, MidiPartWriter& part) {
    const bool typed = song.header.fileVersion >= 10;
    const auto fieldBytes = static_cast<std::uint8_t>(typed ? recordSize(kEventFields)
                                                            : recordSize(kOldEventFields));
    const std::uint8_t recordSize =
        in.u8In(kMinEventRecordSize, 0xFF, "cannot read pitch event byte size of track");
    const std::uint32_t count =
        in.u32In(0, kMostRecordsPerRegion, "cannot read pitch count of track");
    // A record size below the fields still reads the fields: records are at least that far
    // apart.
    const std::uint32_t stride = std::max(recordSize, fieldBytes);
    if (typed)
        in.requireRecords(count, stride, kEventFields);
    else
        in.requireRecords(count, stride, kOldEventFields);
    std::uint32_t skipped = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        EventRecord record;
        if (typed) {
            std::tie(record.position, record.value, record.type, record.key) =
                in.readRecord(kEventFields);
        } else {
            std::tie(record.position, record.value) = in.readRecord(kOldEventFields);
            record.value = rewriteOldEventValue(record.value);
        }
        if (recordSize > fieldBytes) in.skip(recordSize - fieldBytes);
        if (eventKind(record.type))
            placeEvent(song, part, record);
        else
            ++skipped;
    }
    return skipped;
}

// The fixed fields of a MIDI sub-chunk: what the part takes of them, and the transposition
// it has no place for.
struct MidiFields {
    std::int8_t transposition = 0;
    std::uint8_t grid = 0;
    std::uint8_t tuplet = 1;  // version 1 knew straight quantization only
};

MidiFields readMidiFields(const SongModel& song, SubRange& in) {
    MidiFields fields;
    fields.transposition = in.i8In(-127, 127, "cannot read midi region transposition of track");
    fields.grid = in.u8In(0, 64, "cannot read midi region quantization grid of track");
    if (song.header.fileVersion >= 2)
        fields.tuplet = in.u8In(0, 3, "cannot read midi region quantization tuplet of track");
    in.u8In(0, 1, "cannot read midi region quantize ends of track");
    in.unit("cannot read midi region quantize swing of track");
    in.unit("cannot read midi region quantize amount of track");
    return fields;
}

// A region sub-chunk's size field and the sub-range it declares (its size counts the field).
SubRange subChunk(ChunkView& in, std::uint32_t minimum, const char* message) {
    const std::uint64_t sizeOffset = in.fieldOffset();
    const std::uint32_t size = in.u32(message);
    if (size < minimum) failAt(message, sizeOffset);
    return in.sub(size - kSubChunkSizeField, message);
}

void readMidiRegion(const HostSession& host, ImportNotes& notes, const SongModel& song,
                    ChunkView& in, Host::IObjectFactory* factory, const RegionHeader& region) {
    SubRange sub = subChunk(
        in, song.header.fileVersion == 1 ? kMinMidiSubChunkVersion1 : kMinMidiSubChunk,
        "TREG midi sub chunk size too short");
    const MidiFields fields = readMidiFields(song, sub);

    // The part once its fields are read: a sub-chunk cut short leaves no empty part.
    MidiPartWriter part(host, song, factory);
    part.createPart(region);
    part.setQuantization(fields.grid, fields.tuplet);

    // The records must lie in the region chunk (not only in the sub-chunk: a record size
    // below the fields reads on past the sub-chunk's declared end).
    readNotes(song, in, part, region);
    const std::uint32_t skipped = readEvents(song, in, part);
    if (fields.transposition != 0)
        notes.add(Host::kNoteMidiNotCarried, song.track.number,
                  "MIDI region transposition: not carried; the host's part has none");
    if (skipped != 0)
        notes.add(Host::kNoteMidiNotCarried, song.track.number,
                  "MIDI events of types other than 2 to 5: skipped; the host has no such events");
}

void readAudioRegion(const HostSession& host, ImportNotes& notes, SongModel& song, ChunkView& in,
                     const RegionHeader& region) {
    SubRange sub = subChunk(in, kMinAudioSubChunk, "TREG audio sub chunk size too short");
    const std::uint32_t inPoint = sub.u32("cannot read region in-point of track");
    const std::uint64_t nameOffset = sub.fieldOffset();
    const std::u16string fileName = sub.text();
    if (song.header.fileVersion >= 15) sub.skip(10);
    if (song.header.fileVersion >= 19) sub.skip(4);
    if (song.header.fileVersion >= 22) sub.skip(6);

    try {
        placeAudioRegion(host, notes, song, region, inPoint, fileName);
    } catch (const ReaderError& error) {
        // The wave file the region names could not be used: the failure is its name's.
        failAt(error.what(), nameOffset);
    }
}

}  // namespace

void readRegions(ChunkView& in, const HostSession& host, ImportNotes& notes, SongModel& song) {
    in.readSize(kMinChunkSize, "TREG chunk size too short");
    const std::uint16_t headerSize = in.u16In(kMinRegionHeaderSize, 0xFFFF,
                                              "TREG sub chunk offset too short");
    const std::uint64_t trackOffset = in.fieldOffset();
    const std::uint16_t trackNumber = in.u16("Cannot read track number in TREG chunk.");
    if (!song.track.present || !song.track.host ||
        trackNumber != song.track.number)
        failAt("track is NULL or invalied tracknumber", trackOffset);
    const std::uint32_t count = in.u32("cannot read region count of track");

    const auto factory = queryTo<Host::IObjectFactory>(host.project);
    for (std::uint32_t i = 0; i < count; ++i) {
        const RegionHeader region = readRegionHeader(in, headerSize);
        // Each sub-chunk is taken to its declared end once it is read.
        if (song.track.type == kAudioTrack)
            readAudioRegion(host, notes, song, in, region);
        else
            readMidiRegion(host, notes, song, in, factory.get(), region);
    }
}

}  // namespace Tessaro
