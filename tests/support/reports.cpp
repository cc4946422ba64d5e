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
    vokSetErrStatus(0);
    recorded.clear();
}

ReportRecorder::~ReportRecorder() {
    vokRedirectError(previousHook_);
    vokSetErrMode(previousMode_);
    vokSetErrStatus(0);
    recorded.clear();
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
        diff << "  #" << i << " got ";
        if (i < actual.size())
            diff << "(" << actual[i].status << ", " << actual[i].function << ", \"" << actual[i].context << "\", "
                 << actual[i].module << ":" << actual[i].line << ")";
        else
            diff << "nothing";
        diff << " want ";
        if (i < expected.size()) {
            const Expected& e = expected[i];
            diff << "(" << e.status << ", " << e.function << ", \"" << e.context << "\", " << e.module << ")";
            if (i < actual.size()) {
                const Report& a = actual[i];
                same = same && a.status == e.status && a.function == e.function && a.context == e.context &&
                       a.module == e.module;
            }
        } else {
            diff << "nothing";
        }
        diff << "\n";
    }
    if (!same) return ::testing::AssertionFailure() << "report sequence differs:\n" << diff.str();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult eachReports(const std::vector<BadCall>& calls) {
    ReportRecorder recorder;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        recorder.clear();
        calls[i].call();
        std::vector<Expected> expected{calls[i].report};
        expected.insert(expected.end(), calls[i].then.begin(), calls[i].then.end());
        const auto result = sameReports(recorder.reports(), expected);
        if (!result) return ::testing::AssertionFailure() << "bad call #" << i << ": " << result.message();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace voktest
