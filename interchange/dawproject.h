// The DAWproject writer: the song as a DAWproject 1.0 file, a ZIP container (libzip) of
// project.xml and metadata.xml (written by libxml2's streaming writer, never held whole),
// the audio files the clips play under audio/ and the instruments' stored states under
// plugins/. docs/export.md tells what maps to what.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "interchange/left_out.h"
#include "interchange/song.h"

namespace Interchange {

// The application that writes the file, as project.xml names it.
struct Application {
    std::string name;
    std::string version;
};

// A track the file holds beside the song's own (a rendered stem as an audio track), placed
// right after the song's track of index after.
struct ExtraTrack {
    std::size_t after = 0;
    Track track;
};

// Writes song to target through a temporary file in target's folder, renamed into place
// when complete, with the extra tracks among the song's. Adds what the format cannot hold
// to leftOut. Throws ExportError.
void writeDawproject(const Song& song, const std::filesystem::path& target,
                     const Application& application, LeftOutList& leftOut,
                     const std::vector<ExtraTrack>& extra = {});

}  // namespace Interchange
