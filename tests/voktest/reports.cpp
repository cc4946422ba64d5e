#include "voktest/reports.h"

#include <sstream>

namespace voktest {
namespace {

thread_local std::vector<Report> recorded;

int VOK_CALL recordReport(int status, const char* function, const char* context, const char* module, int line) {
    recorded.push_back({status, function ? function : "<null>", context ? context : "<null>",
                        module ? module : "<null>", line});
    return status;
}

std::string shown(int status, const std::string& function, const char* context, const std::string& module) {
    std::ostringstream out;
    out << "  (" << status << ", " << function << ", \"" << (context ? context : "<null>") << "\", " << module << ")\n";
    return out.str();
}

}  // namespace

ReportRecorder::ReportRecorder(int mode)
    : previousHook_(vokRedirectError(recordReport)), previousMode_(vokGetErrMode()) {
    vokSetErrMode(mode);
    clear();
}

ReportRecorder::~ReportRecorder() {
    vokRedirectError(previousHook_);
    vokSetErrMode(previousMode_);
    clear();
}

const std::vector<Report>& ReportRecorder::reports() const { return recorded; }
void ReportRecorder::clear() {
    recorded.clear();
    vokSetErrStatus(0);
}

::testing::AssertionResult sameReports(const std::vector<Report>& actual, const std::vector<Expected>& expected) {
    std::string got, want;
    for (const Report& a : actual) got += shown(a.status, a.function, a.context.c_str(), a.module);
    for (const Expected& e : expected) want += shown(e.status, e.function, e.context, e.module);
    if (got == want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "report sequence differs; got:\n" << got << "want:\n" << want;
}

::testing::AssertionResult ReportSteps::reportsOf(const std::function<void()>& call,
                                                  const std::vector<Expected>& expected) {
    recorder_.clear();
    call();
    return sameReports(recorder_.reports(), expected);
}

::testing::AssertionResult eachReports(const std::vector<BadCall>& calls) {
    ReportSteps steps("");
    for (std::size_t i = 0; i < calls.size(); ++i) {
        std::vector<Expected> expected{calls[i].report};
        expected.insert(expected.end(), calls[i].then.begin(), calls[i].then.end());
        if (auto result = steps.reportsOf(calls[i].call, expected); !result)
            return ::testing::AssertionFailure() << "bad call #" << i << ": " << result.message();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace voktest
