// The frame: the error call, status and mode, hooks (per thread: the robustness tests), the exact
// texts of the three report functions, the allocators and the version record.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "frame/test_seams.h"
#include "voktest/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

TEST(ErrorStr, KnownAndUnassignedCodes) {
    const char* unknown = "Unknown error or status code";
    const char* byCode[] = {"No Error", "Backtrace", unknown, "Internal error (bad state)", "Out of memory",
                            "Bad argument", "Unsupported function", "Iteration convergence failed",
                            "Autotrace call", unknown, unknown, unknown, unknown};
    for (int code = 0; code < 13; ++code) EXPECT_STREQ(vokErrorStr(-code), byCode[code]) << -code;
    for (int status : {1, INT32_MIN}) EXPECT_STREQ(vokErrorStr(status), unknown) << status;
}

int VOK_CALL returnsSeven(int, const char*, const char*, const char*, int) { return 7; }

TEST(ErrorCall, StoresTheStatusExceptTracesAndCallsTheHookExceptForZero) {
    ReportRecorder rec;
    // status, function, context, the status stored after it (trace codes never are)
    const std::tuple<int, const char*, const char*, int> calls[] = {
        {-4, "inner", "NULL Pointer", -4}, {-1, "outer", nullptr, -4}, {-8, "trace", "x", -4}, {0, "f", "c", 0},
        {3, "f", "c", 3}};
    for (auto [status, fn, ctx, stored] : calls) {
        EXPECT_EQ(vokError(status, fn, ctx, "m", 7), status);
        EXPECT_EQ(vokGetErrStatus(), stored) << status;
    }
    EXPECT_REPORTS(rec, {-4, "inner", "NULL Pointer", "m"}, {-1, "outer", "<null>", "m"}, {-8, "trace", "x", "m"},
                   {3, "f", "c", "m"});
    EXPECT_EQ(rec.reports()[0].line, 7);
    for (int v : {-1, -8, 5, -100}) {
        vokSetErrStatus(v);
        vokSetErrMode(v);
        EXPECT_TRUE(vokGetErrStatus() == v && vokGetErrMode() == v) << v;
    }
    const VokReportFunc recorder = vokRedirectError(returnsSeven);
    EXPECT_EQ(vokError(-5, "f", "c", "m", 1), 7);  // the hook's result is the call's result
    EXPECT_EQ(vokRedirectError(nullptr), returnsSeven);
    EXPECT_EQ(vokRedirectError(recorder), vokGuiBoxReport);
}

struct BoxSeen {
    std::string text, title;
    int buttons = -1, calls = 0;
} seen;
bool answer = false;  // the first button (Yes, OK)

bool respond(const char* text, const char* title, int buttons) {
    seen = {text, title, buttons, seen.calls + 1};
    return answer;
}

// One report through each function: the mode and stored status it meets, its
// arguments; the standard-error text (none in the leaf mode, which would end
// the process), the message-box text and title (none: no box).
struct Shown {
    int mode, stored, status;
    const char *fn, *ctx, *file;
    int line;
    const char *err, *box, *title;
};

// The standard-error report writes the text of its status argument (not of the
// stored one), the null report nothing. The box text comes from (file, line,
// function, context) in the format of the status, the title from the stored
// status, the buttons from the mode (0 leaf, 1 parent). A mode other than 0,
// 1 and 2 writes like the parent mode and shows no box.
TEST(ReportFunctions, TextsTitlesAndButtonsInEachMode) {
    const std::string leaf = "\n\nErrMode=VOK_ErrorModeLeaf\n\nTerminate the application?";
    const std::string parent = "\n\nErrMode=VOK_ErrorModeParent\n\nContinue?";
    const Shown table[] = {
        {1, -5, -5, "voksbZero", "n<=0", "vokarith", 42,
         "\nTRM Library Error: Bad argument \n\tin function [vokarith:42]:voksbZero(): n<=0\n",
         "in function [vokarith:42]:voksbZero():\n n<=0", "Bad argument"},
        {1, 0, -1, "vokcConv", nullptr, "vokconvs", 9, "\tcalled from [vokconvs:9]:vokcConv\n",
         "called from [vokconvs:9]:vokcConv():\n ", "No Error"},
        {1, 0, -8, "caller", "step 2", nullptr, 0, "\tcalled from:caller(step 2)\n",
         "called from [:0]:\n caller(step 2)", "No Error"},
        {1, 0, -4, "f", "c", nullptr, 3, "\nTRM Library Error: Out of memory \n\tin function [(null):3]:f(): c\n",
         "in function [:3]:f():\n c", "No Error"},
        {1, -4, -5, nullptr, nullptr, nullptr, 0, "\nTRM Library Error: Bad argument \n\tin function:<unknown>\n",
         "in function [:0]:<unknown>():\n ", "Out of memory"},
        {0, 0, -4, nullptr, nullptr, nullptr, -3, nullptr, "in function [:0]:<unknown>():\n ", "No Error"},
        {1, -4, -8, "f", "ctx", "m", 4, "\tcalled from [m:4]:f(ctx)\n", "called from [m:4]:\n f(ctx)", "Out of memory"},
        {9, 0, -5, "f", "c", "m", 1, "\nTRM Library Error: Bad argument \n\tin function [m:1]:f(): c\n", nullptr},
        {2, 0, -5, "f", "c", "m", 1, "", nullptr}};
    vok::testing::setBoxResponder(respond);
    for (const Shown& r : table) {
        SCOPED_TRACE(::testing::Message() << "mode " << r.mode << ", status " << r.status << ", line " << r.line);
        ReportRecorder rec(r.mode);
        vokSetErrStatus(r.stored);
        seen = {};
        answer = r.mode == 1;  // OK in the parent mode, No in the leaf mode: both continue
        ::testing::internal::CaptureStderr();
        if (r.err) EXPECT_EQ(vokStdErrReport(r.status, r.fn, r.ctx, r.file, r.line), r.status);
        if (r.err) EXPECT_EQ(vokNulDevReport(r.status, r.fn, r.ctx, r.file, r.line), r.status);
        EXPECT_EQ(vokGuiBoxReport(r.status, r.fn, r.ctx, r.file, r.line), r.status);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), r.err ? r.err : "");
        EXPECT_EQ(seen.text, r.box ? r.box + (r.mode ? parent : leaf) : "");
        EXPECT_EQ(seen.title, r.box ? std::string("TRM Library Error: ") + r.title : "");
        EXPECT_EQ(seen.buttons, r.box ? r.mode : -1);
        EXPECT_EQ(seen.calls, r.box ? 1 : 0);
    }
    ReportRecorder rec(VOK_ErrorModeParent);
    answer = true;
    const std::string longName(500, 'x');
    vokGuiBoxReport(-5, longName.c_str(), longName.c_str(), "m", 1);
    EXPECT_EQ(seen.text.size(), 199u);  // cut to the buffer
    EXPECT_EQ(seen.text.rfind("in function [m:1]:xxx", 0), 0u);
    vok::testing::setBoxResponder(nullptr);
}

bool yes(const char*, const char*, int) { return true; }
bool no(const char*, const char*, int) { return false; }

// The leaf mode ends the process after the standard-error or null report, the
// message box after Yes (leaf) or Cancel (parent); so does the default hook in
// a new thread's default mode, with no terminal to show a box on.
TEST(ReportFunctionsDeathTest, TheEndOfTheApplication) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string box = "TRM Library:\nterminating the application";
    const std::tuple<VokReportFunc, int, vok::testing::BoxResponder, std::string> table[] = {
        {vokStdErrReport, VOK_ErrorModeLeaf, nullptr,
         "in function \\[vokarith:5\\]:voksbZero\\(\\): n<=0\nTRM Library Error\nErrMode=VOK_ErrModeLeaf\n"
         "terminating the application$"},
        {vokNulDevReport, VOK_ErrorModeLeaf, nullptr, ""},
        {vokGuiBoxReport, VOK_ErrorModeLeaf, yes, box},
        {vokGuiBoxReport, VOK_ErrorModeParent, no, box}};
    for (const auto& [report, mode, responder, text] : table) {
        vok::testing::setBoxResponder(responder);
        vokSetErrMode(mode);
        EXPECT_EXIT(report(-5, "voksbZero", "n<=0", "vokarith", 5), ::testing::ExitedWithCode(1), text);
    }
    vok::testing::setBoxResponder(nullptr);  // back to the defaults
    vokSetErrMode(VOK_ErrorModeLeaf);
    EXPECT_EXIT(std::thread([] { voksbZero(nullptr, 0); }).join(), ::testing::ExitedWithCode(1),
                "in function .vokarith:.*.:voksbZero\\(\\):\n n<=0");
}

// ---- allocators and version ----

constexpr std::uintptr_t kAlignment = sizeof(void*) == 4 ? 8 : 64;

template <auto alloc>
void* untyped(int n) { return alloc(n); }

TEST(Memory, EveryAllocatorGivesAlignedUsableBlocks) {
    const std::pair<void* (*)(int), int> allocators[] = {
        {untyped<vokMalloc>, 1},  {untyped<vokwMalloc>, 2}, {untyped<voksMalloc>, 4}, {untyped<vokiMalloc>, 4},
        {untyped<vokvMalloc>, 4}, {untyped<vokcMalloc>, 8}, {untyped<vokdMalloc>, 8}, {untyped<vokjMalloc>, 8},
        {untyped<vokzMalloc>, 16}};
    for (auto [alloc, elementSize] : allocators) {
        for (int count : {0, 1, 2, 3, 5, 7, 64, 100, 1000, 4097}) {
            auto* p = alloc(count);
            ASSERT_NE(p, nullptr) << count;
            const auto address = reinterpret_cast<std::uintptr_t>(p);
            EXPECT_EQ(address % kAlignment, 0u) << count;
            // The heap start sits in the word just below, at most one alignment step plus a word away.
            const auto start = reinterpret_cast<std::uintptr_t>(static_cast<void**>(p)[-1]);
            EXPECT_GE(address - start, sizeof(void*));
            EXPECT_LT(address - start, sizeof(void*) + kAlignment);
            if (sizeof(void*) == 4) EXPECT_EQ(address, (start + 11) & ~std::uintptr_t(7));  // the classic layout
            std::memset(p, 0x5A, std::size_t(count) * elementSize);  // the whole block is usable (ASan checks)
            vokFree(p);
        }
    }
    vokFree(nullptr);
    EXPECT_EQ(vokMalloc(-1), nullptr);
    // An injected failure returns null without a report.
    vokSetErrStatus(0);
    vok::testing::failAllocationAfter(2);
    void* first = vokMalloc(8);
    EXPECT_EQ(vokcMalloc(8), nullptr);
    void* third = vokMalloc(8);
    EXPECT_TRUE(first && third && vokGetErrStatus() == 0);
    vokFree(first);
    vokFree(third);
}

TEST(Version, ConstantRecord) {
    const VokLibVersion* v = vokGetLibVersion();
    ASSERT_EQ(v, vokGetLibVersion());
    EXPECT_EQ(std::vector<int>(v->numbers, v->numbers + 3), std::vector<int>({3, 0, 13}));
    const std::vector<std::string> texts{v->name, v->version, v->internalVersion, v->buildDate, v->linkage};
    EXPECT_EQ(texts, std::vector<std::string>({"vokx1.dll", "v4.0 Release Candidate", "[4.00.29, 01/30/97]",
                                               "Feb 24 1998", "DLL"}));
}

}  // namespace
