// The error call, status and mode per thread, hooks, and the exact texts of
// the three report functions.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "frame/test_seams.h"
#include "support/reports.h"
#include "vok.h"

namespace {

using voktest::ReportRecorder;

TEST(ErrorStr, KnownAndUnassignedCodes) {
    const std::pair<int, const char*> table[] = {
        {0, "No Error"},
        {-1, "Backtrace"},
        {-2, "Unknown error or status code"},
        {-3, "Internal error (bad state)"},
        {-4, "Out of memory"},
        {-5, "Bad argument"},
        {-6, "Unsupported function"},
        {-7, "Iteration convergence failed"},
        {-8, "Autotrace call"},
        {-9, "Unknown error or status code"},
        {-12, "Unknown error or status code"},
        {1, "Unknown error or status code"},
        {-2147483647 - 1, "Unknown error or status code"},
    };
    for (auto [status, text] : table) EXPECT_STREQ(vokErrorStr(status), text) << status;
}

TEST(ErrorCall, StoresStatusAndCallsHook) {
    ReportRecorder rec;
    EXPECT_EQ(vokError(-5, "f", "ctx", "mod", 7), -5);
    EXPECT_EQ(vokGetErrStatus(), -5);
    EXPECT_REPORTS(rec, {-5, "f", "ctx", "mod"});
    EXPECT_EQ(rec.reports()[0].line, 7);
}

TEST(ErrorCall, ZeroClearsWithoutHook) {
    ReportRecorder rec;
    vokSetErrStatus(-4);
    EXPECT_EQ(vokError(0, "f", "c", "m", 1), 0);
    EXPECT_EQ(vokGetErrStatus(), 0);
    EXPECT_TRUE(rec.reports().empty());
}

TEST(ErrorCall, TraceCodesAreNeverStored) {
    ReportRecorder rec;
    vokError(-4, "inner", "NULL Pointer", "m", 1);
    vokError(-1, "outer", nullptr, "m", 2);
    vokError(-8, "trace", "x", "m", 3);
    EXPECT_EQ(vokGetErrStatus(), -4);
    EXPECT_REPORTS(rec, {-4, "inner", "NULL Pointer", "m"}, {-1, "outer", "<null>", "m"}, {-8, "trace", "x", "m"});
}

TEST(ErrorCall, PositiveStatusIsStoredAndReported) {
    ReportRecorder rec;
    EXPECT_EQ(vokError(3, "f", nullptr, nullptr, 0), 3);
    EXPECT_EQ(vokGetErrStatus(), 3);
    EXPECT_EQ(rec.reports().size(), 1u);
}

TEST(ErrorState, SettersStoreAnyValue) {
    ReportRecorder rec;
    for (int v : {-1, -8, 5, -100}) {
        vokSetErrStatus(v);
        EXPECT_EQ(vokGetErrStatus(), v);
    }
    for (int m : {0, 1, 2, 7, -3}) {
        vokSetErrMode(m);
        EXPECT_EQ(vokGetErrMode(), m);
    }
}

int VOK_CALL returnsSeven(int, const char*, const char*, const char*, int) { return 7; }

TEST(Redirect, ReturnsPreviousAndNullRestoresBox) {
    ReportRecorder rec;
    const VokReportFunc recorder = vokRedirectError(returnsSeven);
    EXPECT_EQ(vokError(-5, "f", "c", "m", 1), 7);  // the hook's result is the call's result
    EXPECT_EQ(vokRedirectError(nullptr), returnsSeven);
    EXPECT_EQ(vokRedirectError(recorder), vokGuiBoxReport);
}

TEST(Threads, EachThreadHasItsOwnContext) {
    ReportRecorder rec;
    vokSetErrStatus(-5);
    vokSetErrMode(2);
    int otherStatus = 99, otherMode = 99;
    VokReportFunc otherHook = nullptr;
    std::thread([&] {
        otherStatus = vokGetErrStatus();
        otherMode = vokGetErrMode();
        otherHook = vokRedirectError(vokStdErrReport);
        vokSetErrStatus(-4);
        vokSetErrMode(1);
    }).join();
    EXPECT_EQ(otherStatus, 0);
    EXPECT_EQ(otherMode, 0);
    EXPECT_EQ(otherHook, vokGuiBoxReport);
    EXPECT_EQ(vokGetErrStatus(), -5);
    EXPECT_EQ(vokGetErrMode(), 2);
}

// ---- standard-error report ----

std::string stdErrReport(int mode, int status, const char* fn, const char* ctx, const char* file, int line,
                         int* result = nullptr) {
    ReportRecorder rec(mode);
    ::testing::internal::CaptureStderr();
    const int r = vokStdErrReport(status, fn, ctx, file, line);
    if (result) *result = r;
    return ::testing::internal::GetCapturedStderr();
}

TEST(StdErrReport, LayoutOfEachKindOfReport) {
    struct Case { int status; const char *fn, *ctx, *file; int line; const char* text; };
    for (const Case& c : {
             Case{-5, "voksbZero", "n<=0", "vokarith", 42,
                  "\nTRM Library Error: Bad argument \n\tin function [vokarith:42]:voksbZero(): n<=0\n"},
             {-1, "vokcConv", nullptr, "vokconvs", 9, "\tcalled from [vokconvs:9]:vokcConv\n"},  // backtrace
             {-8, "caller", "step 2", nullptr, 0, "\tcalled from:caller(step 2)\n"},           // autotrace
             {-4, "f", "c", nullptr, 3, "\nTRM Library Error: Out of memory \n\tin function [(null):3]:f(): c\n"}}) {
        int r = 0;
        EXPECT_EQ(stdErrReport(1, c.status, c.fn, c.ctx, c.file, c.line, &r), c.text);
        EXPECT_EQ(r, c.status);
    }
}

TEST(StdErrReport, TextOfTheArgumentNotOfStoredStatus) {
    ReportRecorder rec(1);
    vokSetErrStatus(-4);
    ::testing::internal::CaptureStderr();
    vokStdErrReport(-5, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "\nTRM Library Error: Bad argument \n\tin function:<unknown>\n");
}

TEST(ReportFunctions, SilentModeWritesNothingAndReturnsStatus) {
    for (VokReportFunc report : {vokStdErrReport, vokNulDevReport, vokGuiBoxReport}) {
        ReportRecorder rec(VOK_ErrorModeSilent);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(report(-5, "f", "c", "m", 1), -5);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
}

TEST(ReportFunctions, UnknownModeBehavesLikeParent) {
    EXPECT_EQ(stdErrReport(9, -5, "f", "c", "m", 1), "\nTRM Library Error: Bad argument \n\tin function [m:1]:f(): c\n");
    ReportRecorder rec(9);
    EXPECT_EQ(vokNulDevReport(-5, "f", "c", "m", 1), -5);
}

TEST(ReportFunctionsDeathTest, LeafModeEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            vokSetErrMode(0);
            vokStdErrReport(-5, "voksbZero", "n<=0", "vokarith", 5);
        },
        ::testing::ExitedWithCode(1),
        "in function \\[vokarith:5\\]:voksbZero\\(\\): n<=0\nTRM Library Error\nErrMode=VOK_ErrModeLeaf\nterminating the application$");
    EXPECT_EXIT(
        {
            vokSetErrMode(0);
            vokNulDevReport(-5, "f", "c", "m", 1);
        },
        ::testing::ExitedWithCode(1), "");
}

// ---- message-box report ----

struct BoxSeen {
    std::string text, title;
    int buttons = -1;
    int calls = 0;
};
thread_local BoxSeen seen;
thread_local bool answerFirst = false;

bool respond(const char* text, const char* title, int buttons) {
    seen.text = text;
    seen.title = title;
    seen.buttons = buttons;
    ++seen.calls;
    return answerFirst;
}

struct BoxFixture : ::testing::Test {
    void SetUp() override {
        seen = {};
        vok::testing::setBoxResponder(respond);
    }
    void TearDown() override { vok::testing::setBoxResponder(nullptr); }
};

TEST_F(BoxFixture, ParentModeAsksOkCancelAndContinuesOnOk) {
    ReportRecorder rec(VOK_ErrorModeParent);
    vokSetErrStatus(-5);
    answerFirst = true;
    EXPECT_EQ(vokGuiBoxReport(-5, "voksbZero", "n<=0", "vokarith", 12), -5);
    EXPECT_EQ(seen.text, "in function [vokarith:12]:voksbZero():\n n<=0\n\nErrMode=VOK_ErrorModeParent\n\nContinue?");
    EXPECT_EQ(seen.title, "TRM Library Error: Bad argument");
    EXPECT_EQ(seen.buttons, 1);
}

TEST_F(BoxFixture, LeafModeAsksYesNoAndContinuesOnNo) {
    ReportRecorder rec(VOK_ErrorModeLeaf);
    answerFirst = false;
    EXPECT_EQ(vokGuiBoxReport(-4, nullptr, nullptr, nullptr, -3), -4);
    EXPECT_EQ(seen.text, "in function [:0]:<unknown>():\n \n\nErrMode=VOK_ErrorModeLeaf\n\nTerminate the application?");
    EXPECT_EQ(seen.buttons, 0);
}

TEST_F(BoxFixture, TitleNamesStoredStatusForTraces) {
    ReportRecorder rec(VOK_ErrorModeParent);
    answerFirst = true;
    vokGuiBoxReport(-1, "vokcConv", nullptr, "vokconvs", 3);
    EXPECT_EQ(seen.text, "called from [vokconvs:3]:vokcConv():\n \n\nErrMode=VOK_ErrorModeParent\n\nContinue?");
    EXPECT_EQ(seen.title, "TRM Library Error: No Error");
    vokSetErrStatus(-4);
    vokGuiBoxReport(-8, "f", "ctx", "m", 4);
    EXPECT_EQ(seen.text, "called from [m:4]:\n f(ctx)\n\nErrMode=VOK_ErrorModeParent\n\nContinue?");
    EXPECT_EQ(seen.title, "TRM Library Error: Out of memory");
}

TEST_F(BoxFixture, UnknownModeShowsNoBox) {
    ReportRecorder rec(5);
    EXPECT_EQ(vokGuiBoxReport(-5, "f", "c", "m", 1), -5);
    EXPECT_EQ(seen.calls, 0);
}

TEST_F(BoxFixture, LongTextsAreCutToTheBuffers) {
    ReportRecorder rec(VOK_ErrorModeParent);
    answerFirst = true;
    const std::string longName(500, 'x');
    vokGuiBoxReport(-5, longName.c_str(), longName.c_str(), "m", 1);
    EXPECT_EQ(seen.text.size(), 199u);
    EXPECT_EQ(seen.text.rfind("in function [m:1]:xxx", 0), 0u);
}

TEST(BoxDeathTest, TerminatingAnswerEndsTheApplication) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            vok::testing::setBoxResponder([](const char*, const char*, int) { return true; });
            vokSetErrMode(VOK_ErrorModeLeaf);
            vokGuiBoxReport(-5, "f", "c", "m", 1);
        },
        ::testing::ExitedWithCode(1), "TRM Library:\nterminating the application");
    EXPECT_EXIT(
        {
            vok::testing::setBoxResponder([](const char*, const char*, int) { return false; });
            vokSetErrMode(VOK_ErrorModeParent);
            vokGuiBoxReport(-5, "f", "c", "m", 1);  // Cancel
        },
        ::testing::ExitedWithCode(1), "TRM Library:\nterminating the application");
}

TEST(BoxDeathTest, DefaultErrorModeTerminatesWithoutTerminal) {
    // The default hook, mode and the missing terminal of a test run: a bad
    // argument ends the application, as the leaf mode means.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::thread([] { voksbZero(nullptr, 0); }).join();
        },
        ::testing::ExitedWithCode(1), "in function .vokarith:.*.:voksbZero\\(\\):\n n<=0");
}

}  // namespace
