// The folder the module records from DllMain: the system's full path of the DLL, cut
// after its last backslash, in UTF-16 as it stands. Checked through the probe build of
// the entry code (tessaroimporter_probe.dll), loaded from the build tree and from a copy
// in a folder whose name needs UTF-16 beyond 8-bit text.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/windows/system_path.h"

using TessaroWindowsTest::folderOf;
using TessaroWindowsTest::systemPath;

namespace {

using FolderProc = int (*)(char16_t*, int);

std::u16string asUnits(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

// Loads a probe DLL and returns what it recorded, and what the system says its path is.
struct Recorded {
    std::u16string folder;
    std::wstring path;
    bool loaded = false;
};

Recorded loadProbe(const std::wstring& path) {
    Recorded recorded;
    const HMODULE probe = LoadLibraryW(path.c_str());
    if (!probe) return recorded;
    recorded.loaded = true;
    const auto folderProc = reinterpret_cast<FolderProc>(
        reinterpret_cast<void*>(GetProcAddress(probe, "TessaroProbeModuleFolder")));
    if (folderProc) {
        char16_t buffer[MAX_PATH + 1] = {};
        if (folderProc(buffer, MAX_PATH + 1) >= 0) recorded.folder = buffer;
    }
    wchar_t actual[MAX_PATH + 1] = {};
    GetModuleFileNameW(probe, actual, MAX_PATH);
    recorded.path = actual;
    FreeLibrary(probe);
    return recorded;
}

// A folder of its own under the system's temporary folder, removed with what it holds.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::wstring& name) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        created_ = CreateDirectoryW(path_.c_str(), nullptr) != 0;
    }
    ~TemporaryFolder() {
        for (const auto& file : files_) DeleteFileW(file.c_str());
        if (created_) RemoveDirectoryW(path_.c_str());
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    bool created() const { return created_; }
    const std::wstring& path() const { return path_; }
    std::wstring copyIn(const std::wstring& source, const std::wstring& name) {
        const std::wstring target = path_ + name;
        if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) return {};
        files_.push_back(target);
        return target;
    }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
    bool created_ = false;
};

}  // namespace

TEST(ModuleFolder, IsTheFolderOfTheLoadedFileWithItsBackslash) {
    const Recorded recorded = loadProbe(systemPath(TESSARO_PROBE_PATH));
    ASSERT_TRUE(recorded.loaded) << "LoadLibraryW failed";
    ASSERT_FALSE(recorded.path.empty());
    EXPECT_EQ(recorded.folder, asUnits(folderOf(recorded.path)));
    ASSERT_FALSE(recorded.folder.empty());
    EXPECT_EQ(recorded.folder.back(), u'\\');
}

TEST(ModuleFolder, KeepsUtf16UnitsOfTheFolderNameExactly) {
    // Latin letters with accents, CJK and a character outside the basic plane (a
    // surrogate pair), as a user's plug-in folder may be named.
    TemporaryFolder folder(L"Tessaro Plug-ins \u00C4\u00F6\u00DF \u97F3\u697D \U0001D11E");
    ASSERT_TRUE(folder.created()) << "CreateDirectoryW failed, error " << GetLastError();
    const std::wstring copy =
        folder.copyIn(systemPath(TESSARO_PROBE_PATH), L"tessaroimporter_probe.dll");
    ASSERT_FALSE(copy.empty()) << "CopyFileW failed, error " << GetLastError();

    const Recorded recorded = loadProbe(copy);
    ASSERT_TRUE(recorded.loaded) << "LoadLibraryW failed, error " << GetLastError();
    EXPECT_EQ(recorded.folder, asUnits(folder.path()));
    EXPECT_EQ(recorded.folder, asUnits(folderOf(recorded.path)));
}
