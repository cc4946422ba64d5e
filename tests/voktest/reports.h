// Test helpers: a report hook that records every report of the calling thread,
// the exact-sequence check of its reports, and sentinel-filled buffers that
// tell whether a failed call wrote anything.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
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
// For the main test thread only: its reports live in a thread_local vector,
// whose destruction at a worker thread's exit corrupts the heap under Wine
// (mingw-w64); tests that start threads count reports in a thread_local int.
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

}  // namespace voktest

#define EXPECT_REPORTS(recorder, ...) EXPECT_TRUE(::voktest::sameReports((recorder).reports(), {__VA_ARGS__}))
