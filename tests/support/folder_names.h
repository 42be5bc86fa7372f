// What a test finds in a folder after a run.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace TessaroTest {

// The names in a folder, hidden and temporary files included.
inline std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

}  // namespace TessaroTest
