// What the export tests share: reading a written container back (libzip), validating its
// XML against the DAWproject schemas and picking elements out of it (libxml2), an
// independent reader of Standard MIDI Files, and the host's own events as the import
// report lists them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "refhost/report.h"
#include "tools/writer/project_file.h"

struct _xmlDoc;

namespace TessaroTest {

// The entries of a ZIP container by name.
std::map<std::string, std::vector<std::uint8_t>> readContainer(const std::filesystem::path& file);

std::vector<std::uint8_t> readFile(const std::filesystem::path& file);

// The folder of the DAWproject schemas: $TESSARO_DAWPROJECT_SCHEMAS, else the one the build
// found beside the repository; none where there is none (tests then skip validation).
std::optional<std::filesystem::path> schemaFolder();
// The schema's complaints about xml, one per line; empty when it is valid.
std::string schemaErrors(const std::vector<std::uint8_t>& xml, const std::string& schema);

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

// A Standard MIDI File read back, without the writer's help.
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

// The host's notes and controller-like events from an import report's "events", one line
// each: the track's name, the part's start and the event as the report shows it.
struct HostEvent {
    std::string track;
    std::string kind;  // "note", "pitchbend", "controller", ...
    double partStart = 0;
    double start = 0;  // within the part
    double length = 0;
    std::vector<std::int64_t> data;  // pitch and velocity, or the data values
    bool partMuted = false;
};
std::vector<HostEvent> hostEvents(const RefHost::Report& report);

// The checked-in demo project and its wave file, copied into folder; returns the project.
std::filesystem::path copyDemo(const std::filesystem::path& folder);

// A project that reaches the corners of the export: file version 22, 90 bpm, 3/4, 1000
// ticks per whole note. "Lead<U+0001><unpaired surrogate>x" (synth with a preset, sends to
// effect buses 1 and 2, send-level automation) with a part of every event kind and of
// notes the formats cannot all hold, and a muted part; two tracks "Pad" (synth with a
// preset each, send-level automation); "Loops" (audio) playing loop.wav twice, Loop.wav
// and "..hit?.wav", with a Lanefix strip, a Tonalix EQ, a gate, a limiter and a
// brickwall; a reverb on each effect bus. writeRichAudio puts the wave files beside it.
TessaroWriter::ProjectFile richProject();
void writeRichAudio(const std::filesystem::path& folder);

}  // namespace TessaroTest
