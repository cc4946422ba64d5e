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

}  // namespace voktest
