// The build driver: completes the host's tracks from their attributes and the song
// model once the whole file has been read.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/iptr.h"
#include "interfaces/all.h"

namespace Tessaro {

struct HostSession;
class ImportNotes;
struct SongModel;

// Builds every track the track info reader made, then the automation; what the host does not
// take as the file has it goes into notes.
void buildProject(const HostSession& host, ImportNotes& notes, const SongModel& song);

// The tracks of the tree, depth first through folders; effect tracks only when the host
// allows effect channels.
std::vector<IPtr<Host::IProjectObject>> collectTracks(const HostSession& host,
                                                      Host::IObjectTree* tree);
// The host track of the instrument or audio track whose `cinr` is number; empty when none.
IPtr<Host::ITrack> findTrackByNumber(const HostSession& host, std::int64_t number);
// The effect bus an effect channel plays: the decimal number behind the first four
// characters of its name ("Bus 3" gives 3); 0 when no number follows.
std::int32_t effectBusNumber(std::u16string_view channelName);

}  // namespace Tessaro
