// The Windows build of tessaro-import has no render (Debian has no FluidSynth for MinGW):
// asked for one, it says so and ends with exit status 2 before any import.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/system_path.h"

using TessaroWindowsTest::systemPath;

namespace {

struct CommandRun {
    DWORD status = 0xFFFFFFFF;
    std::string err;
};

// Runs the command the build made with arguments, standard error through a pipe.
CommandRun runCommand(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readSide = nullptr, writeSide = nullptr;
    CommandRun run;
    if (!CreatePipe(&readSide, &writeSide, &inherit, 0)) return run;
    SetHandleInformation(readSide, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = writeSide;
    startup.hStdOutput = writeSide;
    startup.hStdInput = nullptr;
    PROCESS_INFORMATION process{};
    std::wstring line = L"\"" + systemPath(TESSARO_IMPORT_TOOL) + L"\" " + arguments;
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeSide);
    if (started) {
        char buffer[4096];
        for (DWORD n = 0; ReadFile(readSide, buffer, sizeof buffer, &n, nullptr) && n > 0;)
            run.err.append(buffer, n);
        WaitForSingleObject(process.hProcess, 120000);
        GetExitCodeProcess(process.hProcess, &run.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readSide);
    return run;
}

}  // namespace

TEST(WindowsRender, IsLeftOutAndSaysSoWithExitStatus2) {
    for (const wchar_t* asked : {L"--render mix.wav", L"--stems stems", L"--with-stems"}) {
        SCOPED_TRACE(std::string(asked, asked + wcslen(asked)));
        const CommandRun run = runCommand(std::wstring(L"Missing.tsp ") + asked);
        EXPECT_EQ(run.status, 2u);
        EXPECT_EQ(
            run.err,
            "tessaro-import: this build cannot render audio (it is built without FluidSynth): --render, "
            "--stems and --with-stems are left out\r\n");  // a text stream's line end on Windows
    }
}
