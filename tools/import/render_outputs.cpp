#include "tools/import/render_outputs.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <stdexcept>
#include <system_error>

#if TESSARO_WITH_RENDER
#include "interchange/export.h"
#include "render/render.h"
#include "render/soundfont.h"
#endif

namespace ImportTool {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(fs::path path) : path_(std::move(path)) {}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ScratchFolder::ScratchFolder(ScratchFolder&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

ScratchFolder& ScratchFolder::operator=(ScratchFolder&& other) noexcept {
    if (this != &other) {
        ScratchFolder gone(std::move(*this));
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

#if TESSARO_WITH_RENDER

namespace {

RefHost::Report textOrNull(const std::string& text) {
    return text.empty() ? RefHost::Report(nullptr) : RefHost::Report(text);
}

RefHost::Report pathOrNull(const fs::path& path) {
    return path.empty() ? RefHost::Report(nullptr) : RefHost::Report(path.string());
}

const char* byName(Render::SoundChoice::By by) {
    switch (by) {
        case Render::SoundChoice::By::Preset:
            return "preset";
        case Render::SoundChoice::By::Name:
            return "preset name";
        case Render::SoundChoice::By::TrackName:
            return "track name";
        case Render::SoundChoice::By::Fixed:
            return "fixed";
    }
    return "";
}

// The report's "render" section (docs/report.md).
RefHost::Report renderReport(const Render::RenderOutcome& outcome, bool stemsAsked) {
    RefHost::Report j;
    j["written"] = outcome.written;
    j["error"] = textOrNull(outcome.error);
    j["soundfont"] = outcome.soundfont.string();
    j["format"] = outcome.format == Render::SampleFormat::Float ? "float" : "pcm24";
    j["sampleRate"] = outcome.sampleRate;
    j["frames"] = outcome.frames;
    j["seconds"] = outcome.sampleRate > 0 ? static_cast<double>(outcome.frames) / outcome.sampleRate : 0.0;
    j["songSeconds"] = outcome.songSeconds;
    j["mix"] = pathOrNull(outcome.mix);
    j["peak"] = outcome.peak;
    j["stems"] = stemsAsked ? pathOrNull(outcome.stems) : RefHost::Report(nullptr);
    j["tracks"] = RefHost::Report::array();
    for (const auto& t : outcome.tracks) {
        RefHost::Report track;
        track["track"] = t.name;
        track["kind"] = t.instrument ? "instrument" : "audio";
        track["heard"] = t.heard;
        track["stem"] = stemsAsked ? pathOrNull(t.stem) : RefHost::Report(nullptr);
        if (t.sound) {
            track["sound"] = {{"plugin", textOrNull(t.plugin)},  {"preset", textOrNull(t.preset)},
                              {"bank", t.sound->bank},           {"program", t.sound->program},
                              {"name", textOrNull(t.soundName)}, {"substituted", t.sound->substituted()},
                              {"by", byName(t.sound->by)}};
        } else {
            track["sound"] = nullptr;
        }
        j["tracks"].push_back(std::move(track));
    }
    j["leftOut"] = Interchange::leftOutReport(outcome.leftOut);
    return j;
}

// A new hidden folder beside the DAWproject file for the stems it takes in.
ScratchFolder scratchBeside(const fs::path& target) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[17];
        std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
        const fs::path path = folder / ("." + target.filename().string() + "." + suffix + ".stems");
        std::error_code ec;
        if (fs::create_directory(path, ec)) return ScratchFolder(path);
        if (ec) break;
    }
    return {};
}

}  // namespace

bool renderBuilt() { return true; }

RunSoundfont::RunSoundfont(const std::string& named) {
    const char* variable = std::getenv(Render::kSoundfontVariable);
    try {
        file_ = Render::findSoundfont(named, variable ? std::optional<std::string>(variable) : std::nullopt,
                                      Render::defaultSoundfonts());
        held_ = std::make_shared<Render::Soundfont>(file_);
    } catch (const Render::SoundfontError& e) {
        throw std::runtime_error(e.what());
    }
}

RenderResult renderProject(ImportedProject& imported, const fs::path& file, const RenderTargets& targets,
                           const RenderSettings& settings, const RenderWatcher& watcher) {
    RenderResult result;
    if (imported.outcome.result != 0 || !imported.outcome.error.empty() || !targets.any()) return result;
    Render::RenderRequest request;
    request.soundfont = settings.soundfont;
    request.mix = targets.mix;
    request.stems = targets.stems;
    request.format = settings.floatSamples ? Render::SampleFormat::Float : Render::SampleFormat::Pcm24;
    request.threads = settings.threads;
    request.progress = watcher;
    bool stemsForExport = !targets.dawprojectWithStems.empty();
    if (stemsForExport && targets.stems.empty()) {
        result.scratch = scratchBeside(targets.dawprojectWithStems);
        // A folder that takes no new folder takes no DAWproject file either: the export
        // says so.
        stemsForExport = !result.scratch.path().empty();
        request.stems = result.scratch.path();
        request.instrumentStemsOnly = true;
    }
    if (request.mix.empty() && request.stems.empty()) return result;
    const Interchange::Song* song = songOf(imported, file);
    Render::RenderOutcome outcome;
    std::error_code ec;
    if (!targets.mix.empty() && fs::equivalent(targets.mix, file, ec)) {
        outcome.error = "cannot write " + targets.mix.string() + ": it is the project file";
    } else if (song) {
        outcome = Render::renderSong(*song, request);
    } else {
        outcome.error = "cannot read the song: " + imported.songError;
    }
    imported.reportSections.push_back({"render", [section = renderReport(outcome, !targets.stems.empty())](
                                                     RefHost::ReportWriter& out) { out.document(section); }});
    if (!outcome.written) {
        result.errors.push_back(outcome.error);
        return result;
    }
    if (!targets.mix.empty()) {
        result.written.push_back(targets.mix);
        result.mix = targets.mix;
    }
    if (!targets.stems.empty()) result.written.push_back(targets.stems / "");
    if (stemsForExport)
        for (const auto& t : outcome.tracks)
            if (t.instrument && !t.stem.empty())
                result.extraTracks.push_back(
                    {t.index, Render::stemTrack(*song, t.index, t.stem, outcome.frames)});
    return result;
}

#else

bool renderBuilt() { return false; }

RunSoundfont::RunSoundfont(const std::string&) {
    throw std::runtime_error("this build of tessaro-import cannot render (it has no FluidSynth)");
}

RenderResult renderProject(ImportedProject&, const fs::path&, const RenderTargets&, const RenderSettings&,
                           const RenderWatcher&) {
    return {};
}

#endif

RunSoundfont::~RunSoundfont() = default;

}  // namespace ImportTool
