// Paths of the build tree as the system's wide calls want them.
#pragma once

#include <windows.h>

#include <string>

namespace TessaroWindowsTest {

// The build tree's path of a file (UTF-8) as a Windows path. Under Wine the build tree
// has Unix paths, which Wine's own conversion turns into drive paths; on Windows the
// path only needs backslashes.
inline std::wstring systemPath(const char* buildPath) {
    using DosNameProc = WCHAR*(CDECL*)(const char*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto toDos = kernel ? reinterpret_cast<DosNameProc>(reinterpret_cast<void*>(
                                    GetProcAddress(kernel, "wine_get_dos_file_name")))
                              : nullptr;
    if (toDos && buildPath[0] == '/') {
        if (WCHAR* dos = toDos(buildPath)) {
            std::wstring result(dos);
            HeapFree(GetProcessHeap(), 0, dos);
            return result;
        }
    }
    const int units = MultiByteToWideChar(CP_UTF8, 0, buildPath, -1, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(units > 0 ? units : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, buildPath, -1, result.data(), units);
    result.resize(result.size() - 1);
    for (auto& unit : result)
        if (unit == L'/') unit = L'\\';
    return result;
}

// The folder of a path, with its trailing backslash.
inline std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

}  // namespace TessaroWindowsTest
