// The adapter between the reference host and the interchange writers: reads the host's
// document after an import (the track tree with folders, each track's channel with its
// devices and sends, the outputs, events, automation, the song's tempo, signature, length
// and cycle) into the plain description of song.h. This file and host_song.cpp are the
// only ones of interchange/ that know the reference host's types.
#pragma once

#include <filesystem>

#include "interchange/song.h"

namespace RefHost {
class ReferenceHost;
}

namespace Interchange {

// The song the host holds. projectFile is the imported file; its name without ".tsp" is
// the title.
Song readSong(const RefHost::ReferenceHost& host, const std::filesystem::path& projectFile);

}  // namespace Interchange
