#include "fuzz/export_readback.h"

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>
#include <zip.h>

namespace Readback {

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

namespace {

// libxml2's error callback: each message appended to the string context points to.
void collect(void* context, const char* format, ...) {
    va_list args;
    va_start(args, format);
    char line[1024];
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    *static_cast<std::string*>(context) += line;
}

}  // namespace

Schema::Schema(const fs::path& file) {
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(file.c_str());
    if (!parser) {
        loadErrors_ = "cannot read the schema " + file.string();
        return;
    }
    xmlSchemaSetParserErrors(parser, collect, collect, &loadErrors_);
    schema_ = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
    if (!schema_ && loadErrors_.empty()) loadErrors_ = "cannot read the schema " + file.string();
}

Schema::~Schema() {
    if (schema_) xmlSchemaFree(schema_);
}

std::string Schema::errors(const std::vector<std::uint8_t>& xml) const {
    if (!schema_) return "no schema: " + loadErrors_;
    std::string errors;
    xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(schema_);
    if (!valid) return "out of memory\n";
    xmlSchemaSetValidErrors(valid, collect, collect, &errors);
    xmlDocPtr doc = xmlReadMemory(reinterpret_cast<const char*>(xml.data()), static_cast<int>(xml.size()),
                                  "document.xml", nullptr, XML_PARSE_NONET | XML_PARSE_HUGE);
    if (!doc) errors += "not well-formed XML\n";
    else if (xmlSchemaValidateDoc(valid, doc) != 0 && errors.empty()) errors = "invalid\n";
    if (doc) xmlFreeDoc(doc);
    xmlSchemaFreeValidCtxt(valid);
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

std::vector<std::string> referenceProblems(const XmlDocument& doc) {
    std::vector<std::string> problems;
    std::set<std::string> ids;
    for (const auto& element : doc.select("//*[@id]"))
        if (!ids.insert(element.at("id")).second) problems.push_back("twice: " + element.at("id"));
    // The attributes the schema types as references (xs:IDREF).
    for (const char* key : {"destination", "track", "parameter", "reference"})
        for (const auto& element : doc.select(std::string("//*[@") + key + "]"))
            if (!ids.contains(element.at(key)))
                problems.push_back(element.name + " " + key + "=" + element.at(key));
    return problems;
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

}  // namespace Readback
