// The module's boundary with the host's plug-in loader: the three exported functions and
// the record of the module's own folder, made when the system loads the module.
#include <cstddef>

#include "module/module_folder.h"
#include "module/plugin_factory.h"

#if defined(_WIN32)
#include <windows.h>
#define TESSARO_EXPORT extern "C" __declspec(dllexport)
#else
#include <dlfcn.h>
#define TESSARO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// At most 260 UTF-16 units, as the system's path limit; cut after the last separator.
constexpr std::size_t kMaxPath = 260;
char16_t gFolder[kMaxPath + 1] = {};

#if defined(_WIN32)
void recordFolder(HINSTANCE instance) {
    wchar_t path[kMaxPath + 1] = {};
    const DWORD n = GetModuleFileNameW(instance, path, static_cast<DWORD>(kMaxPath));
    std::size_t cut = 0;
    for (DWORD i = 0; i < n && i < kMaxPath; ++i)
        if (path[i] == L'\\' || path[i] == L'/') cut = i + 1;
    for (std::size_t i = 0; i < cut; ++i) gFolder[i] = static_cast<char16_t>(path[i]);
    gFolder[cut] = 0;
}
#else
// The path comes from the dynamic loader in the file system's 8-bit encoding; each byte
// becomes one unit, which keeps ASCII paths exact.
__attribute__((constructor)) void recordFolder() {
    Dl_info info{};
    // The return is never taken where the module runs (left out of the coverage count): its
    // own function lies in the file the loader loaded, and the loader names that file. The
    // check stays for a loader that would not.
    // GCOVR_EXCL_START
    if (!dladdr(reinterpret_cast<void*>(&recordFolder), &info) || !info.dli_fname) return;
    // GCOVR_EXCL_STOP
    const char* path = info.dli_fname;
    std::size_t cut = 0;
    for (std::size_t i = 0; i < kMaxPath && path[i] != 0; ++i)
        if (path[i] == '/') cut = i + 1;
    for (std::size_t i = 0; i < cut; ++i)
        gFolder[i] = static_cast<char16_t>(static_cast<unsigned char>(path[i]));
    gFolder[cut] = 0;
}
#endif

}  // namespace

#if defined(_WIN32)
// Runs under the loader lock: record the module's folder, nothing else.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) recordFolder(instance);
    return TRUE;
}
#endif

namespace Tessaro {
std::u16string moduleFolder() { return std::u16string(gFolder); }
}  // namespace Tessaro

TESSARO_EXPORT Host::IPluginFactory* GetPluginFactory() {
    return Tessaro::getOrMakePluginFactory();
}

TESSARO_EXPORT bool InitDll() { return true; }

TESSARO_EXPORT bool ExitDll() { return true; }
