// The reference host without its audio libraries (TESSARO_WITH_AUDIO 0: the Windows build,
// which has no libsndfile or libsoxr). The host reads no audio file and offers no audio
// class or interface, so the module finds no audio file reader and skips audio events, as
// it does with a host that lacks them. What both builds share is in audio_files.cpp.
#include "refhost/audio.h"

#include "refhost/reference_host.h"

namespace RefHost {

std::optional<AudioFileInfo> readAudioFileInfo(const std::filesystem::path&) {
    return std::nullopt;
}

std::vector<AudioFileType> audioFileTypes(const ReferenceHost&) { return {}; }

Object* createAudioObject(ReferenceHost&, const Host::FUID&) { return nullptr; }

std::span<const FacetType> audioFacetTypes() { return {}; }

}  // namespace RefHost
