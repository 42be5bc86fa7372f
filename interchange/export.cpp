#include "interchange/export.h"

#include <system_error>
#include <thread>

#include "interchange/host_song.h"
#include "interchange/output_file.h"
#include "interchange/smf.h"

namespace Interchange {

namespace fs = std::filesystem;

namespace {

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

template <class Write>
OutputOutcome writeOne(const char* format, const fs::path& target, const fs::path& projectFile,
                       Write&& write) {
    OutputOutcome outcome;
    outcome.format = format;
    outcome.path = target;
    LeftOutList leftOut;
    try {
        if (sameFile(target, projectFile))
            throw ExportError("cannot write " + target.string() + ": it is the project file");
        write(leftOut);
        outcome.written = true;
    } catch (const ExportError& e) {
        outcome.error = e.what();
    } catch (const std::bad_alloc&) {
        outcome.error = "cannot write " + target.string() + ": out of memory";
    } catch (const std::exception& e) {
        outcome.error = "cannot write " + target.string() + ": " + e.what();
    }
    outcome.leftOut = leftOut.entries();
    return outcome;
}

RefHost::Report textOrNull(const std::string& text) {
    return text.empty() ? RefHost::Report(nullptr) : RefHost::Report(text);
}

}  // namespace

RefHost::Report leftOutReport(const std::vector<LeftOut>& leftOut) {
    RefHost::Report list = RefHost::Report::array();
    for (const auto& l : leftOut)
        list.push_back({{"what", l.what},
                        {"track", textOrNull(l.track)},
                        {"clip", textOrNull(l.clip)},
                        {"value", textOrNull(l.value)},
                        {"count", l.count}});
    return list;
}

bool ExportOutcome::ok() const {
    for (const auto& output : outputs)
        if (!output.written) return false;
    return true;
}

RefHost::Report ExportOutcome::report() const {
    RefHost::Report j = RefHost::Report::object();
    for (const auto& output : outputs) {
        RefHost::Report o;
        o["path"] = output.path.string();
        o["written"] = output.written;
        o["error"] = textOrNull(output.error);
        o["leftOut"] = leftOutReport(output.leftOut);
        j[output.format] = std::move(o);
    }
    return j;
}

ExportOutcome exportSong(const Song& song, const fs::path& projectFile, const ExportRequest& request) {
    ExportOutcome outcome;
    // The two files share nothing but the song, which neither changes: the MIDI file is
    // written beside the DAWproject file, in a thread of its own.
    OutputOutcome midi;
    std::thread midiWriter;
    if (!request.midi.empty())
        midiWriter = std::thread([&] {
            midi = writeOne("midi", request.midi, projectFile,
                            [&](LeftOutList& l) { writeMidiFile(song, request.midi, l); });
        });
    if (!request.dawproject.empty())
        outcome.outputs.push_back(writeOne("dawproject", request.dawproject, projectFile, [&](LeftOutList& l) {
            writeDawproject(song, request.dawproject, request.application, l, request.extraTracks);
        }));
    if (midiWriter.joinable()) {
        midiWriter.join();
        outcome.outputs.push_back(std::move(midi));
    }
    return outcome;
}

ExportOutcome songNotRead(const ExportRequest& request, const std::string& why) {
    ExportOutcome outcome;
    for (const auto& [format, path] : {std::pair{"dawproject", request.dawproject}, std::pair{"midi", request.midi}})
        if (!path.empty())
            outcome.outputs.push_back({format, path, false, "cannot read the song: " + why, {}});
    return outcome;
}

ExportOutcome exportSong(const RefHost::ReferenceHost& host, const fs::path& projectFile,
                         const ExportRequest& request) {
    if (request.dawproject.empty() && request.midi.empty()) return {};
    Song song;
    try {
        song = readSong(host, projectFile);
    } catch (const std::exception& e) {
        return songNotRead(request, e.what());
    }
    return exportSong(song, projectFile, request);
}

}  // namespace Interchange
