// The export of untrusted bytes: each input is imported as the import target imports it,
// with the same promises checked, and then handed to both exports the way tessaro-import
// hands a project to them (ImportTool::exportProject). Shared by the libFuzzer program
// tessaro-fuzz-export and the replay program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/import_target.h"

namespace TessaroFuzz {

// Imports bytes, checks the import, exports it and checks the exports:
//   - after a failed import nothing is written;
//   - after a successful one both files are written and nothing else is left behind;
//   - the DAWproject container reads back whole; project.xml and metadata.xml are
//     well-formed and valid against the DAWproject schemas (read once); every id of
//     project.xml is unique and every reference names one;
//   - the Standard MIDI File reads back whole with the independent reader;
//   - the project's JSON report, with its "export" section, can be written.
Outcome exportOnce(const std::uint8_t* data, std::size_t size);

}  // namespace TessaroFuzz
