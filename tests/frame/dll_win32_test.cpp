// vokx1.dll loaded as an application loads it: contexts at load, at thread
// attach and on the first call of a thread older than the load, released at
// detach; every report function in every mode, with no desktop to show a box.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <string>
#include <thread>
#include <vector>

#include "vok.h"

namespace {

struct Dll {
    HMODULE module = ::LoadLibraryA(VOK_DLL_PATH);
#define VOK_FN(name) decltype(&::name) name = reinterpret_cast<decltype(&::name)>(::GetProcAddress(module, #name))
    VOK_FN(vokGetErrStatus);
    VOK_FN(vokSetErrStatus);
    VOK_FN(vokGetErrMode);
    VOK_FN(vokSetErrMode);
    VOK_FN(vokRedirectError);
    VOK_FN(vokError);
    VOK_FN(vokGuiBoxReport);
    VOK_FN(vokcFft);
#undef VOK_FN
    ~Dll() { ::FreeLibrary(module); }

    struct Context { int status, mode; VokReportFunc hook; };
    // The calling thread's context as found, then changed to show it is its own.
    Context seenThenChanged() {
        const Context seen{vokGetErrStatus(), vokGetErrMode(), vokRedirectError(nullptr)};
        vokSetErrStatus(-4);
        vokSetErrMode(VOK_ErrorModeSilent);
        return seen;
    }
};

TEST(Dll, EveryThreadGetsItsOwnFreshContext) {
    HANDLE loaded = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Dll* dll = nullptr;
    Dll::Context older{}, newer{};
    std::thread beforeLoad([&] {
        ::WaitForSingleObject(loaded, INFINITE);
        older = dll->seenThenChanged();  // no attach notification: created on this first call
    });
    Dll lib;
    ASSERT_NE(lib.module, nullptr);
    ASSERT_NE(lib.vokcFft, nullptr);
    const Dll::Context atLoad = lib.seenThenChanged();
    dll = &lib;
    ::SetEvent(loaded);
    beforeLoad.join();
    std::thread([&] { newer = lib.seenThenChanged(); }).join();
    for (const Dll::Context& c : {atLoad, older, newer}) {
        EXPECT_EQ(c.status, 0);
        EXPECT_EQ(c.mode, VOK_ErrorModeLeaf);
        EXPECT_EQ(c.hook, lib.vokGuiBoxReport);
    }
    EXPECT_EQ(lib.vokGetErrStatus(), -4);
    ::CloseHandle(loaded);
}

size_t committedBytes() {  // Wine reports no PrivateUsage
    PROCESS_MEMORY_COUNTERS counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

TEST(Dll, ThreadDetachReleasesTheContextAndItsTables) {
    Dll lib;
    std::vector<FloatComplex> data(1 << 14);
    auto transformOnNewThreads = [&](int threads) {  // each caches ~300 KB of tables in its context
        for (int i = 0; i < threads; ++i) std::thread([&] { lib.vokcFft(data.data(), 14, VOK_Forw); }).join();
    };
    transformOnNewThreads(8);  // the heap grows to its working size
    const size_t before = committedBytes();
    transformOnNewThreads(64);
    EXPECT_LT(committedBytes(), before + (4 << 20));  // 64 leaked contexts would hold ~20 MB
}

// ---- reports through the DLL; Wine shows no box here, as a service would ----

struct ReportCase { int mode; const char* report; int exitCode; const char* stderrText; };
const ReportCase kReports[] = {
    {VOK_ErrorModeParent, "vokStdErrReport", -1, "\nTRM Library Error: Bad argument \n\tin function [m:1]:f(): c\n"},
    {VOK_ErrorModeParent, "vokNulDevReport", -1, ""},
    {VOK_ErrorModeParent, "vokGuiBoxReport", -1,  // a box that cannot be shown answers OK
     "TRM Library Error: Bad argument\nin function [m:1]:f():\n c\n\nErrMode=VOK_ErrorModeParent\n\nContinue?\n"},
    {VOK_ErrorModeSilent, "vokStdErrReport", -1, ""},
    {VOK_ErrorModeSilent, "vokNulDevReport", -1, ""},
    {VOK_ErrorModeSilent, "vokGuiBoxReport", -1, ""},
    {VOK_ErrorModeLeaf, "vokStdErrReport", 1, "in function .m:1.:f\\(\\): c\nTRM Library Error\nErrMode=VOK_ErrModeLeaf\n"},
    {VOK_ErrorModeLeaf, "vokNulDevReport", 1, ""},
    {VOK_ErrorModeLeaf, "vokGuiBoxReport", 1, "Terminate the application\\?\nTRM Library:\nterminating the application\n"},
};

int reportThroughDll(const ReportCase& c) {
    Dll lib;
    lib.vokRedirectError(reinterpret_cast<VokReportFunc>(::GetProcAddress(lib.module, c.report)));
    lib.vokSetErrMode(c.mode);
    return lib.vokError(VOK_StatusBadArg, "f", "c", "m", 1);
}

TEST(DllDeathTest, ReportFunctionsInEveryMode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const ReportCase& c : kReports) {
        SCOPED_TRACE(std::string(c.report) + " in mode " + std::to_string(c.mode));
        if (c.exitCode >= 0) {
            EXPECT_EXIT(reportThroughDll(c), ::testing::ExitedWithCode(c.exitCode), c.stderrText);
            continue;
        }
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(reportThroughDll(c), VOK_StatusBadArg);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.stderrText);
    }
}

}  // namespace
