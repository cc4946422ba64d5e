// Failure tests as tables: each step is one call and the reports it must add,
// checked right after the call. Every step starts from a clean status, so a
// report is tied to the call that made it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/reports.h"

namespace voktest {

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
        recorder_.clear();
        call();
        EXPECT_TRUE(sameReports(recorder_.reports(), expected)) << "step " << step_;
        ++step_;
    }
private:
    ReportRecorder recorder_;
    const char* module_;
    int status_;
    int step_ = 0;
};

}  // namespace voktest
