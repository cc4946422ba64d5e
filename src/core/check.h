// Argument checks and failure reports of the exported functions.
//
// Every entry point builds one ArgChecks with its own name, its module and a
// single line number shared by all its argument checks:
//
//     ArgChecks check{__func__, kModule, __LINE__};
//     if (check(n <= 0, "n<=0") || check(!dst, "dst==0")) return;
//
// Reports other than argument checks (allocation failures, backtraces of inner
// calls) carry the line they are made on.
#pragma once

#include "vok/frame.h"

namespace vok {

struct ArgChecks {
    const char* function;
    const char* module;
    int line;

    // Returns at the first failure: reports it with VOK_StatusBadArg and yields true.
    bool operator()(bool failed, const char* context) const {
        if (failed) vokError(VOK_StatusBadArg, function, context, module, line);
        return failed;
    }

    // Reports any status with a context of the caller's choosing on a line of its own.
    int report(int status, const char* context, int atLine) const {
        return vokError(status, function, context, module, atLine);
    }

    // VOK_StatusNoMemory with "NULL Pointer", the library's allocation-failure report.
    int noMemory(int atLine) const { return report(VOK_StatusNoMemory, "NULL Pointer", atLine); }

    // Re-reports a failed inner call under this function's name.
    int backtrace(int atLine) const { return vokError(VOK_StatusBacktrace, function, nullptr, module, atLine); }

    // After an inner library call: true (with a backtrace record) when it failed.
    bool innerFailed(int atLine) const {
        if (vokGetErrStatus() >= 0) return false;
        backtrace(atLine);
        return true;
    }
};

// The "check everything, then return" pattern: every check reports its own
// failure, and the caller stops when the thread's status is then negative
// (also when it was negative before the call).
struct CheckAll {
    ArgChecks checks;

    void operator()(bool failed, const char* context) const { checks(failed, context); }
    bool failed() const { return vokGetErrStatus() < 0; }
};

}  // namespace vok

// The ArgChecks of the entry point it is written in: that function's own name,
// the file's kModule and the line. Helpers shared by several entry points take
// it as an argument so that their reports carry the exported name.
#define VOK_CHECKS ::vok::ArgChecks{__func__, kModule, __LINE__}
