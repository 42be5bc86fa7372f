#include "instruments/instrument_setup.h"

#include "reader/importer.h"

namespace Tessaro {

std::string instrumentPluginName(std::uint64_t) { return {}; }
std::string instrumentPresetName(std::uint64_t) { return {}; }
std::int32_t setupInstrument(TessaroImporter&, Host::ITrack*, const std::string&,
                             Host::IChannel*) {
    return 1;
}

}  // namespace Tessaro
