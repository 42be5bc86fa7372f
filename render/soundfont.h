// The soundfont the synthesizer plays: found, checked and held for a run.
//
// Search: the file named (--soundfont), else $TESSARO_SOUNDFONT, else the first that exists
// of Debian's fluid-soundfont-gm (FluidR3_GM.sf2) and timgm6mb-soundfont (TimGM6mb.sf2).
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Render {

inline constexpr const char* kSoundfontVariable = "TESSARO_SOUNDFONT";

// Why there is no soundfont to render with: the message names what was tried and how to
// install one.
class SoundfontError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The files looked for when none is named, in order.
std::vector<std::filesystem::path> defaultSoundfonts();

// Where the soundfont is: named (empty: none named), else the variable's value (none: not
// set), else the first of defaults that exists. Throws SoundfontError when a named file
// does not exist or none of the defaults does.
std::filesystem::path findSoundfont(const std::filesystem::path& named,
                                    const std::optional<std::string>& variable,
                                    const std::vector<std::filesystem::path>& defaults);

// A soundfont checked by loading it, held loaded for as long as this lives: the
// synthesizers of every render of the run share its samples (the synthesizer's sample
// cache), so a run of many projects reads them once.
class Soundfont {
public:
    // Throws SoundfontError when file is not a soundfont or cannot be loaded.
    explicit Soundfont(std::filesystem::path file);
    ~Soundfont();
    Soundfont(const Soundfont&) = delete;
    Soundfont& operator=(const Soundfont&) = delete;

    const std::filesystem::path& file() const { return file_; }

private:
    struct Held;
    std::filesystem::path file_;
    std::unique_ptr<Held> held_;
};

// Keeps the synthesizer's log off standard error: warnings are dropped, and the last error
// of the calling thread is kept for lastSynthError. Called before any synthesizer is made.
void quietSynthesizer();
std::string lastSynthError();

}  // namespace Render
