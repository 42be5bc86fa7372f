#include "render/soundfont.h"

#include <fluidsynth.h>

#include <mutex>
#include <system_error>

namespace Render {

namespace fs = std::filesystem;

namespace {

thread_local std::string lastError;

void keepError(int, const char* message, void*) { lastError = message ? message : ""; }

std::string installHint() {
    return "install one (apt install fluid-soundfont-gm, or the small timgm6mb-soundfont) or "
           "name one with --soundfont FILE or $" +
           std::string(kSoundfontVariable);
}

std::string inQuotes(const fs::path& file) { return "\"" + file.string() + "\""; }

}  // namespace

void quietSynthesizer() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, keepError, nullptr);
        fluid_set_log_function(FLUID_ERR, keepError, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

std::string lastSynthError() { return lastError; }

std::vector<fs::path> defaultSoundfonts() {
    return {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"};
}

fs::path findSoundfont(const fs::path& named, const std::optional<std::string>& variable,
                       const std::vector<fs::path>& defaults) {
    std::error_code ec;
    if (!named.empty()) {
        if (!fs::exists(named, ec))
            throw SoundfontError("no soundfont: --soundfont " + inQuotes(named) + " does not exist; " +
                                 installHint());
        return named;
    }
    if (variable && !variable->empty()) {
        if (!fs::exists(*variable, ec))
            throw SoundfontError("no soundfont: $" + std::string(kSoundfontVariable) + " names " +
                                 inQuotes(fs::path(*variable)) + ", which does not exist; " + installHint());
        return *variable;
    }
    std::string tried;
    for (const fs::path& file : defaults) {
        if (fs::exists(file, ec)) return file;
        tried += (tried.empty() ? "" : ", ") + inQuotes(file);
    }
    throw SoundfontError("no soundfont: none named (--soundfont, $" + std::string(kSoundfontVariable) +
                         ") and none of " + tried + " exists; " + installHint());
}

struct Soundfont::Held {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    ~Held() {
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }
};

Soundfont::Soundfont(fs::path file) : file_(std::move(file)), held_(std::make_unique<Held>()) {
    quietSynthesizer();
    std::error_code ec;
    if (fs::is_directory(file_, ec) || !fluid_is_soundfont(file_.c_str()))
        throw SoundfontError("not a soundfont: " + inQuotes(file_) + " is no SoundFont 2 file; " +
                             installHint());
    held_->settings = new_fluid_settings();
    if (held_->settings) {
        // The smallest synthesizer that loads it: it only holds the samples.
        fluid_settings_setint(held_->settings, "synth.polyphony", 1);
        fluid_settings_setint(held_->settings, "synth.reverb.active", 0);
        fluid_settings_setint(held_->settings, "synth.chorus.active", 0);
        fluid_settings_setint(held_->settings, "synth.lock-memory", 0);
        held_->synth = new_fluid_synth(held_->settings);
    }
    if (!held_->synth) throw SoundfontError("cannot start the synthesizer");
    lastError.clear();
    if (fluid_synth_sfload(held_->synth, file_.c_str(), 0) == FLUID_FAILED)
        throw SoundfontError("not a soundfont: " + inQuotes(file_) + " cannot be loaded" +
                             (lastError.empty() ? std::string() : " (" + lastError + ")") + "; " +
                             installHint());
}

Soundfont::~Soundfont() = default;

}  // namespace Render
