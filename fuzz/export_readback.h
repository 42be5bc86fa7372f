// Reading an export back without the writers' help: the entries of a DAWproject container
// (libzip), its XML checked against a schema loaded once and picked apart with XPath
// (libxml2), the ids and references of project.xml, and an independent reader of Standard
// MIDI Files. The export tests and the export fuzz target share it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct _xmlDoc;
struct _xmlSchema;

namespace Readback {

// The entries of a ZIP container by name; throws std::runtime_error when the container or
// an entry cannot be read whole.
std::map<std::string, std::vector<std::uint8_t>> readContainer(const std::filesystem::path& file);

std::vector<std::uint8_t> readFile(const std::filesystem::path& file);

// An XML schema, read once and used for any number of documents.
class Schema {
public:
    explicit Schema(const std::filesystem::path& file);
    ~Schema();
    Schema(const Schema&) = delete;
    Schema& operator=(const Schema&) = delete;
    // Why the schema could not be read; empty when it was.
    const std::string& loadErrors() const { return loadErrors_; }
    // The schema's complaints about xml, one per line; empty when it is well-formed and
    // valid.
    std::string errors(const std::vector<std::uint8_t>& xml) const;

private:
    ::_xmlSchema* schema_ = nullptr;
    std::string loadErrors_;
};

// An element of a parsed document: its name, its attributes and its parent's name.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string parent;
    std::string at(const std::string& key) const;
    double number(const std::string& key) const;
};

class XmlDocument {
public:
    explicit XmlDocument(const std::vector<std::uint8_t>& xml);
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;
    bool parsed() const { return doc_ != nullptr; }
    // The elements an XPath expression selects, in document order.
    std::vector<Element> select(const std::string& xpath) const;

private:
    ::_xmlDoc* doc_ = nullptr;
};

// What breaks project.xml's references: an id given twice ("twice: id3"), and a reference
// (destination, track, parameter, reference) that names no id ("Send destination=id9").
std::vector<std::string> referenceProblems(const XmlDocument& doc);

// A Standard MIDI File read back.
struct MidiMessage {
    std::int64_t tick = 0;             // the sum of the delta times
    std::vector<std::uint8_t> bytes;   // status and data; for a meta event FF, type, data
};
struct MidiFile {
    int format = -1;
    int division = 0;
    std::vector<std::vector<MidiMessage>> tracks;
};
// Reads a file; throws std::runtime_error naming the first fault (a chunk length that does
// not match, a missing end of track, a delta time of more than four bytes, bytes left over).
MidiFile readMidiFile(const std::vector<std::uint8_t>& bytes);

}  // namespace Readback
