#include "refhost/diagnostics.h"

#include <algorithm>
#include <iterator>

#include "base/iptr.h"
#include "base/text.h"

namespace RefHost {

namespace {

// A buffer for one text of the diagnostics: every text fits kDiagnosticTextSize units.
struct TextBuffer {
    Host::char16 units[Host::kDiagnosticTextSize] = {};
    std::string utf8() const {
        return Tessaro::toUtf8(Tessaro::fromBuffer(units, std::size(units)));
    }
};

}  // namespace

std::string DiagnosticFailure::line() const {
    return Tessaro::failureLine(text, chunkId, chunkIndex, byteOffset);
}

std::optional<Diagnostics> askDiagnostics(Host::FUnknown* filter, FaultPlan* plan) {
    auto diagnostics =
        intoModule(plan, [&] { return Tessaro::queryTo<Host::IImportDiagnostics>(filter); });
    if (!diagnostics) return std::nullopt;
    Diagnostics told;
    Host::ImportFailureInfo info{};
    TextBuffer text;
    if (intoModule(plan, [&] {
            return diagnostics->getFailure(&info, text.units, Host::kDiagnosticTextSize);
        }) == Host::kResultOk) {
        DiagnosticFailure failure;
        failure.text = text.utf8();
        failure.chunkId = Tessaro::fromBuffer(info.chunkId, sizeof info.chunkId);
        failure.chunkIndex = info.chunkIndex;
        failure.byteOffset = info.byteOffset;
        told.failure = std::move(failure);
    }
    const Host::int32 count = intoModule(plan, [&] { return diagnostics->getNoteCount(); });
    for (Host::int32 i = 0; i < count; ++i) {
        Host::ImportNoteInfo note{};
        TextBuffer noteText;
        if (intoModule(plan, [&] {
                return diagnostics->getNote(i, &note, noteText.units, Host::kDiagnosticTextSize);
            }) != Host::kResultOk)
            continue;
        told.notes.push_back({note.kind, note.track, noteText.utf8()});
    }
    intoModule(plan, [&] {
        diagnostics.reset();
        return 0;
    });
    return told;
}

std::vector<std::string> groupedNoteLines(const std::vector<DiagnosticNote>& notes) {
    struct Group {
        const DiagnosticNote* first;
        std::vector<Host::int32> tracks;  // each once, in order
        std::size_t count = 0;
    };
    std::vector<Group> groups;
    for (const DiagnosticNote& note : notes) {
        auto group = std::find_if(groups.begin(), groups.end(), [&](const Group& g) {
            return g.first->kind == note.kind && g.first->text == note.text;
        });
        if (group == groups.end()) group = groups.insert(groups.end(), Group{&note, {}, 0});
        ++group->count;
        if (note.track >= 0 &&
            std::find(group->tracks.begin(), group->tracks.end(), note.track) ==
                group->tracks.end())
            group->tracks.push_back(note.track);
    }
    std::vector<std::string> lines;
    for (Group& group : groups) {
        std::sort(group.tracks.begin(), group.tracks.end());
        std::string line;
        if (!group.tracks.empty()) {
            line = group.tracks.size() == 1 ? "track " : "tracks ";
            for (std::size_t i = 0; i < group.tracks.size(); ++i)
                line += (i == 0 ? "" : ", ") + std::to_string(group.tracks[i]);
            line += ": ";
        }
        line += group.first->text;
        if (group.count > std::max<std::size_t>(group.tracks.size(), 1))
            line += " (" + std::to_string(group.count) + " times)";
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace RefHost
