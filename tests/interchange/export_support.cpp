#include "tests/interchange/export_support.h"

#include "tests/support/tool_run.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>
#include <zip.h>

#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

namespace TessaroTest {

namespace fs = std::filesystem;

std::map<std::string, std::vector<std::uint8_t>> readContainer(const fs::path& file) {
    int error = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) throw std::runtime_error("cannot open the container " + file.string());
    std::map<std::string, std::vector<std::uint8_t>> entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::vector<std::uint8_t> bytes(stat.size);
        zip_file_t* entry = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        const zip_int64_t read = entry ? zip_fread(entry, bytes.data(), bytes.size()) : -1;
        if (entry) zip_fclose(entry);
        if (read != static_cast<zip_int64_t>(bytes.size())) {
            zip_discard(archive);
            throw std::runtime_error(std::string("cannot read the entry ") + stat.name);
        }
        entries[stat.name] = std::move(bytes);
    }
    zip_discard(archive);
    return entries;
}

std::vector<std::uint8_t> readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::optional<fs::path> schemaFolder() {
    if (const char* env = std::getenv("TESSARO_DAWPROJECT_SCHEMAS"); env && *env)
        return fs::exists(fs::path(env) / "Project.xsd") ? std::optional<fs::path>(env) : std::nullopt;
    const fs::path built = TESSARO_DAWPROJECT_SCHEMAS;
    if (!built.empty() && fs::exists(built / "Project.xsd")) return built;
    return std::nullopt;
}

namespace {

void collect(void* context, const char* format, ...) {
    va_list args;
    va_start(args, format);
    char line[1024];
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    *static_cast<std::string*>(context) += line;
}

}  // namespace

std::string schemaErrors(const std::vector<std::uint8_t>& xml, const std::string& schema) {
    const auto folder = schemaFolder();
    if (!folder) return "no schema folder";
    std::string errors;
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt((*folder / schema).c_str());
    xmlSchemaSetParserErrors(parser, collect, collect, &errors);
    xmlSchemaPtr parsed = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
    if (!parsed) return "cannot read the schema " + schema + ": " + errors;
    xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(parsed);
    xmlSchemaSetValidErrors(valid, collect, collect, &errors);
    xmlDocPtr doc = xmlReadMemory(reinterpret_cast<const char*>(xml.data()), static_cast<int>(xml.size()),
                                  "document.xml", nullptr, XML_PARSE_NONET);
    if (!doc) errors += "not well-formed XML\n";
    else if (xmlSchemaValidateDoc(valid, doc) != 0 && errors.empty()) errors = "invalid\n";
    if (doc) xmlFreeDoc(doc);
    xmlSchemaFreeValidCtxt(valid);
    xmlSchemaFree(parsed);
    return errors;
}

std::string Element::at(const std::string& key) const {
    const auto it = attributes.find(key);
    return it == attributes.end() ? std::string() : it->second;
}

double Element::number(const std::string& key) const { return std::stod(at(key)); }

XmlDocument::XmlDocument(const std::vector<std::uint8_t>& xml)
    : doc_(xmlReadMemory(reinterpret_cast<const char*>(xml.data()), static_cast<int>(xml.size()),
                         "document.xml", nullptr, XML_PARSE_NONET | XML_PARSE_HUGE)) {}

XmlDocument::~XmlDocument() {
    if (doc_) xmlFreeDoc(doc_);
}

std::vector<Element> XmlDocument::select(const std::string& xpath) const {
    std::vector<Element> out;
    if (!doc_) return out;
    xmlXPathContextPtr context = xmlXPathNewContext(doc_);
    xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), context);
    if (result && result->nodesetval) {
        for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
            const xmlNode* node = result->nodesetval->nodeTab[i];
            if (node->type != XML_ELEMENT_NODE) continue;
            Element e;
            e.name = reinterpret_cast<const char*>(node->name);
            if (node->parent && node->parent->type == XML_ELEMENT_NODE)
                e.parent = reinterpret_cast<const char*>(node->parent->name);
            for (const xmlAttr* a = node->properties; a; a = a->next) {
                xmlChar* value = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(a));
                e.attributes[reinterpret_cast<const char*>(a->name)] = value ? reinterpret_cast<const char*>(value) : "";
                xmlFree(value);
            }
            out.push_back(std::move(e));
        }
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    return out;
}

// --- Standard MIDI Files ---------------------------------------------------------------

namespace {

class Bytes {
public:
    Bytes(const std::vector<std::uint8_t>& data, std::size_t begin, std::size_t end)
        : data_(data), at_(begin), end_(end) {}
    bool done() const { return at_ == end_; }
    std::uint8_t u8() {
        if (at_ >= end_) throw std::runtime_error("the chunk ends inside an event");
        return data_[at_++];
    }
    std::uint8_t peek() const {
        if (at_ >= end_) throw std::runtime_error("the chunk ends inside an event");
        return data_[at_];
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | u8();
        return v;
    }
    std::uint32_t u16() { return static_cast<std::uint32_t>(u8() << 8 | u8()); }
    std::uint32_t varLength() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = u8();
            v = v << 7 | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        throw std::runtime_error("a variable-length number of more than four bytes");
    }
    std::size_t position() const { return at_; }

private:
    const std::vector<std::uint8_t>& data_;
    std::size_t at_;
    std::size_t end_;
};

// Data bytes of a channel message by its status.
int dataBytes(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

std::vector<MidiMessage> readTrack(Bytes in) {
    std::vector<MidiMessage> track;
    std::int64_t tick = 0;
    std::uint8_t running = 0;
    bool ended = false;
    while (!in.done()) {
        if (ended) throw std::runtime_error("events after the end of track");
        tick += in.varLength();
        MidiMessage m;
        m.tick = tick;
        std::uint8_t status = in.peek();
        if (status & 0x80) in.u8();
        else if (running) status = running;
        else throw std::runtime_error("a data byte without a status");
        m.bytes.push_back(status);
        if (status == 0xFF) {
            m.bytes.push_back(in.u8());
            const std::uint32_t length = in.varLength();
            for (std::uint32_t i = 0; i < length; ++i) m.bytes.push_back(in.u8());
            ended = m.bytes[1] == 0x2F;
        } else if (status == 0xF0 || status == 0xF7) {
            const std::uint32_t length = in.varLength();
            for (std::uint32_t i = 0; i < length; ++i) m.bytes.push_back(in.u8());
        } else {
            running = status;
            for (int i = 0; i < dataBytes(status); ++i) {
                const std::uint8_t b = in.u8();
                if (b & 0x80) throw std::runtime_error("a data byte above 127");
                m.bytes.push_back(b);
            }
        }
        track.push_back(std::move(m));
    }
    if (!ended) throw std::runtime_error("a track without its end");
    return track;
}

}  // namespace

MidiFile readMidiFile(const std::vector<std::uint8_t>& bytes) {
    MidiFile file;
    std::size_t at = 0;
    std::size_t tracks = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8) throw std::runtime_error("bytes after the last chunk");
        const std::string id(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 4);
        Bytes size(bytes, at + 4, at + 8);
        const std::uint32_t length = size.u32();
        if (bytes.size() - at - 8 < length) throw std::runtime_error("a chunk longer than the file");
        Bytes body(bytes, at + 8, at + 8 + length);
        if (id == "MThd") {
            if (length != 6 || file.format >= 0) throw std::runtime_error("a bad header");
            file.format = static_cast<int>(body.u16());
            tracks = body.u16();
            file.division = static_cast<int>(body.u16());
        } else if (id == "MTrk") {
            file.tracks.push_back(readTrack(body));
        } else {
            throw std::runtime_error("an unknown chunk " + id);
        }
        at += 8 + length;
    }
    if (file.format < 0) throw std::runtime_error("no header");
    if (file.tracks.size() != tracks) throw std::runtime_error("the header's track count is wrong");
    return file;
}

// --- The host's events -----------------------------------------------------------------

std::vector<HostEvent> hostEvents(const RefHost::Report& report) {
    std::vector<HostEvent> out;
    for (const auto& track : report.at("tracks")) {
        if (!track.contains("events")) continue;
        for (const auto& part : track.at("events")) {
            if (part.at("kind") != "MIDI part") continue;
            for (const auto& e : part.at("events")) {
                HostEvent h;
                h.track = track.at("name").get<std::string>();
                h.kind = e.at("kind").get<std::string>();
                h.partStart = part.at("start").get<double>();
                h.partMuted = part.at("mute").get<bool>();
                h.start = e.at("start").get<double>();
                if (h.kind == "note") {
                    h.length = e.at("length").get<double>();
                    h.data = {e.at("pitch").get<std::int64_t>(), e.at("velocity").get<std::int64_t>()};
                } else {
                    for (const auto& d : e.at("data")) h.data.push_back(d.get<std::int64_t>());
                }
                out.push_back(std::move(h));
            }
        }
    }
    return out;
}

// --- Projects --------------------------------------------------------------------------

fs::path copyDemo(const fs::path& folder) {
    fs::create_directories(folder);
    return writeDemoProject(folder);
}

TessaroWriter::ProjectFile richProject() {
    using namespace TessaroWriter;
    constexpr std::uint32_t kBar = 750;  // 3/4 at 1000 ticks per whole note
    ProjectFile file;
    HeadChunk head;
    head.ticksPerWholeNote = 1000;
    head.tempo = 90.0f;
    head.numerator = 3;
    head.denominator = 4;
    head.songLengthTicks = 8 * kBar;
    head.trackCount = 4;
    head.rightMarker = 4 * kBar;
    file.add(head);

    TrackInfoChunk lead;
    lead.trackNumber = 1;
    lead.name = std::u16string(u"Lead\u0001") + char16_t(0xD800) + u"x";
    lead.instrumentId = 99001;
    lead.sends = {{0, 1, 0.5f}, {1, 0, 0.25f}};
    file.add(lead);
    MidiData part;
    part.notes = {{0, 250, 60, 100}, {250, 0, 62, 90}, {500, 250, 200, 90}, {750, 250, 64, 0},
                  {1000, 500, 67, 127}};
    part.events = {{0, 8192, kPitchBendEvent, 0}, {100, 64, kEventType3, 0},
                   {200, 5, kEventType4, 0},     {300, 200, kEventType4, 0},
                   {400, 100, kControllerEvent, 7}, {500, 300, kControllerEvent, 11},
                   {600, 10, kControllerEvent, 130}};
    Region a;
    a.position = 0;
    a.length = 2 * kBar;
    a.name = u"Riff";
    a.content = part;
    MidiData quiet;
    quiet.notes = {{2 * kBar, 250, 72, 80}};
    Region b;
    b.position = 2 * kBar;
    b.length = kBar;
    b.mute = 1;
    b.name = u"Muted";
    b.content = quiet;
    RegionChunk leadRegions;
    leadRegions.trackNumber = 1;
    leadRegions.regions = {a, b};
    file.add(leadRegions);
    PresetChunk leadPreset;
    leadPreset.trackNumber = 1;
    leadPreset.name = u"Lead Sound";
    leadPreset.data = {'L', 'E', 'A', 'D', 1, 2, 3, 4};
    file.add(leadPreset);

    for (std::uint16_t number : {std::uint16_t{2}, std::uint16_t{3}}) {
        TrackInfoChunk pad;
        pad.trackNumber = number;
        pad.name = u"Pad";
        pad.instrumentId = 99001;
        file.add(pad);
        PresetChunk preset;
        preset.trackNumber = number;
        preset.name = u"Pad Sound";
        preset.data = {'P', 'A', 'D', static_cast<std::uint8_t>(number)};
        file.add(preset);
    }

    TrackInfoChunk loops;
    loops.trackNumber = 4;
    loops.trackType = kAudioTrack;
    loops.name = u"Loops";
    loops.instrumentId = 0;
    file.add(loops);
    RegionChunk loopRegions;
    loopRegions.trackNumber = 4;
    const std::u16string names[] = {u"loop.wav", u"loop.wav", u"Loop.wav", u"..hit?.wav"};
    for (std::uint32_t i = 0; i < 4; ++i) {
        AudioData audio;
        audio.fileName = names[i];
        Region r;
        r.position = i * kBar;
        r.length = kBar;
        r.gain = i == 0 ? 0.5f : 1.0f;
        r.name = u"Loop";
        r.content = audio;
        loopRegions.regions.push_back(r);
    }
    file.add(loopRegions);

    AutomationChunk sendLevel;
    sendLevel.type = kThirdAutomation;
    sendLevel.targetId = 100;
    sendLevel.points = {{0, 0.5f, 0}, {kBar, 0.25f, 0}};
    file.add(sendLevel);
    sendLevel.targetId = 200;
    file.add(sendLevel);

    auto effect = [&](int bus, std::uint8_t order, EffectParams params) {
        EffectChunk chunk;
        chunk.bus = static_cast<std::int16_t>(bus);
        chunk.busOrder = order;
        chunk.params = std::move(params);
        file.add(chunk);
    };
    effect(effectBus(1), 0, ReverbParams{});
    effect(effectBus(2), 0, HallvaneLiteParams{});
    LanefixParams strip;
    strip.gateBypass = 0;
    effect(4, 0, strip);
    effect(4, 0, TonalixParams{});
    effect(4, 1, GateParams{});
    effect(4, 2, LimiterParams{});
    effect(4, 3, BrickwallParams{.threshold = -6.0f, .release = 30.0f});
    return file;
}

void writeRichAudio(const fs::path& folder) {
    TessaroWriter::Tone tone;
    tone.seconds = 0.5;
    TessaroWriter::writeToneFile(folder / "loop.wav", tone);
    tone.frequencies = {330.0};
    TessaroWriter::writeToneFile(folder / "Loop.wav", tone);
    tone.frequencies = {880.0};
    TessaroWriter::writeToneFile(folder / "..hit?.wav", tone);
}

}  // namespace TessaroTest
