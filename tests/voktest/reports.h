// Test helpers: a report hook that records every report of the calling thread,
// tables of failing calls checked against it, and sentinel-filled buffers that
// tell whether a failed call wrote anything.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "vok.h"

namespace voktest {

struct Report {
    int status;
    std::string function;
    std::string context;  // "<null>" when the report had none
    std::string module;
    int line;
};

// Installs the recording hook in the parent error mode for the calling thread,
// clears the status, and puts hook, mode and status back when it goes.
class ReportRecorder {
public:
    explicit ReportRecorder(int mode = VOK_ErrorModeParent);
    ~ReportRecorder();
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;

    const std::vector<Report>& reports() const;
    void clear();

private:
    VokReportFunc previousHook_;
    int previousMode_;
};

// A report as the tests write it: status, function, context, module.
struct Expected {
    int status;
    const char* function;
    const char* context;
    const char* module;
};

// Asserts the exact sequence of reports (status, function, context, module).
::testing::AssertionResult sameReports(const std::vector<Report>& actual, const std::vector<Expected>& expected);

// One call that must fail, the report it must make first, and any that must
// follow it. Tables of these state each entry point's check order row by row.
struct BadCall {
    std::function<void()> call;
    Expected report;
    std::vector<Expected> then = {};
};

// Makes every call in turn with a fresh recorder and checks its exact reports.
::testing::AssertionResult eachReports(const std::vector<BadCall>& calls);

// A buffer of bytes filled with a recognisable pattern, to prove that a
// failed call left it alone.
class Sentinel {
public:
    explicit Sentinel(std::size_t bytes) : bytes_(bytes + 64, 0) {
        for (std::size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<unsigned char>(0xA5 ^ (i * 7));
        pristine_ = bytes_;
    }
    template <class T>
    T* as() { return reinterpret_cast<T*>(bytes_.data() + 32); }
    bool untouched() const { return bytes_ == pristine_; }

private:
    std::vector<unsigned char> bytes_;
    std::vector<unsigned char> pristine_;
};

// Failure tests as tables: each step is one call and the reports it must add,
// checked right after the call. Every step starts from a clean status, so a
// report is tied to the call that made it.
class ReportSteps {
public:
    explicit ReportSteps(const char* module, int status = VOK_StatusBadArg) : module_(module), status_(status) {}
    // The call adds exactly one report: this module's status, function and context.
    template <class Call>
    void operator()(const std::string& function, const char* context, Call call) {
        run(call, {{status_, function.c_str(), context, module_}});
    }
    // The call adds exactly these reports (none for an empty list).
    template <class Call>
    void run(Call call, const std::vector<Expected>& expected) {
        EXPECT_TRUE(reportsOf(call, expected)) << "step " << step_++;
    }
    ::testing::AssertionResult reportsOf(const std::function<void()>& call, const std::vector<Expected>& expected);

private:
    ReportRecorder recorder_;
    const char* module_;
    int status_;
    int step_ = 0;
};

}  // namespace voktest

#define EXPECT_REPORTS(recorder, ...) EXPECT_TRUE(::voktest::sameReports((recorder).reports(), {__VA_ARGS__}))
#define EXPECT_EACH_REPORTS(...) EXPECT_TRUE(::voktest::eachReports({__VA_ARGS__}))
