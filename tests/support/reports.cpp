#include "support/reports.h"

#include <sstream>

namespace voktest {
namespace {

thread_local std::vector<Report> recorded;

int VOK_CALL recordReport(int status, const char* function, const char* context, const char* module, int line) {
    recorded.push_back({status, function ? function : "<null>", context ? context : "<null>",
                        module ? module : "<null>", line});
    return status;
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
    std::ostringstream diff;
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; i < actual.size() || i < expected.size(); ++i) {
        const Report* a = i < actual.size() ? &actual[i] : nullptr;
        const Expected* e = i < expected.size() ? &expected[i] : nullptr;
        const std::string context = e && e->context ? e->context : "<null>";
        same = same && a->status == e->status && a->function == e->function && a->context == context &&
               a->module == e->module;
        diff << "  #" << i << " got ";
        if (a) diff << "(" << a->status << ", " << a->function << ", \"" << a->context << "\", " << a->module << ":"
                    << a->line << ")";
        diff << (a ? "" : "nothing") << " want ";
        if (e) diff << "(" << e->status << ", " << e->function << ", \"" << context << "\", " << e->module << ")";
        diff << (e ? "" : "nothing") << "\n";
    }
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "report sequence differs:\n" << diff.str();
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
