#include "tools/import/locations.h"

#include <cstdlib>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "refhost/file_io.h"
#include "refhost/profile.h"

// Set by the build: the module's file name, the module it made, and the installed layout's
// module and profile folders relative to the folder of the installed program.
#ifndef TESSARO_MODULE_FILE_NAME
#define TESSARO_MODULE_FILE_NAME "tessaroimporter.so"
#endif
#ifndef TESSARO_MODULE_PATH
#define TESSARO_MODULE_PATH TESSARO_MODULE_FILE_NAME
#endif
#ifndef TESSARO_MODULE_FROM_BIN
#define TESSARO_MODULE_FROM_BIN "../lib/tessaro"
#endif
#ifndef TESSARO_PROFILES_FROM_BIN
#define TESSARO_PROFILES_FROM_BIN "../share/tessaro/profiles"
#endif

namespace ImportTool {

namespace fs = std::filesystem;

namespace {

fs::path programFolder() { return executableFile().parent_path(); }

}  // namespace

fs::path executableFile() {
#if defined(_WIN32)
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    buffer.resize(n);
    return fs::path(buffer);
#else
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self;
#endif
}

fs::path findModule(const std::string& option) {
    if (!option.empty()) return RefHost::FileIo::fromUtf8(option);
    const fs::path folder = programFolder();
    if (!folder.empty()) {
        for (const fs::path& candidate :
             {folder / TESSARO_MODULE_FILE_NAME,
              (folder / TESSARO_MODULE_FROM_BIN / TESSARO_MODULE_FILE_NAME).lexically_normal()}) {
            std::error_code ec;
            if (fs::is_regular_file(candidate, ec)) return candidate;
        }
    }
    return fs::path(TESSARO_MODULE_PATH);
}

fs::path findProfiles(const std::string& option) {
    if (!option.empty()) return RefHost::FileIo::fromUtf8(option);
    const char* environment = std::getenv("TESSARO_PROFILES");
    const fs::path folder = programFolder();
    if (!(environment && *environment) && !folder.empty()) {
        const fs::path installed = (folder / TESSARO_PROFILES_FROM_BIN).lexically_normal();
        std::error_code ec;
        if (fs::is_directory(installed, ec)) return installed;
    }
    return RefHost::ProfileStore::defaultFolder();
}

}  // namespace ImportTool
