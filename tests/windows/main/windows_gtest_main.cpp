// The main of the Windows test programs. A crash must end the program with a non-zero
// status: under Wine an unhandled exception can otherwise end the process with 0, and the
// run would look green. The filter names the exception and the running test, then ends
// the process at once (no unwinding, no destructors: the process may be in any state).
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

// The exit status of a program that crashed or aborted. Wine hands only the low byte of
// a process's exit code to the shell, so the exception code itself (0xC0000005 ...) could
// arrive as 0 or as a number that looks like something else.
constexpr UINT kCrashStatus = 3;

void reportCrash(const char* what, unsigned long code) {
    const ::testing::TestInfo* test =
        ::testing::UnitTest::GetInstance() ? ::testing::UnitTest::GetInstance()->current_test_info()
                                           : nullptr;
    std::fprintf(stderr, "\n[  CRASHED  ] %s 0x%08lX", what, code);
    if (test) std::fprintf(stderr, " in %s.%s", test->test_suite_name(), test->name());
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::fflush(stdout);
}

LONG WINAPI endOnUnhandledException(EXCEPTION_POINTERS* info) {
    const unsigned long code =
        info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    reportCrash("unhandled exception", code);
    TerminateProcess(GetCurrentProcess(), kCrashStatus);
    return EXCEPTION_EXECUTE_HANDLER;
}

void endOnAbort(int) {
    reportCrash("abort", 0);
    TerminateProcess(GetCurrentProcess(), kCrashStatus);
}

}  // namespace

int main(int argc, char** argv) {
    // No error dialogs: a headless run has nobody to click them away.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endOnUnhandledException);
    // Keep room on the stack for the filter after a stack overflow.
    ULONG guarantee = 64 * 1024;
    SetThreadStackGuarantee(&guarantee);
    std::signal(SIGABRT, endOnAbort);
    std::set_terminate([] {
        reportCrash("std::terminate", 0);
        TerminateProcess(GetCurrentProcess(), kCrashStatus);
    });

    ::testing::InitGoogleMock(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    return status;
}
