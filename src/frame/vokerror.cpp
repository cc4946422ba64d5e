// Status codes, error modes, the report hook and the three report functions.
#include <cstdio>
#include <cstdlib>

#include "frame/context.h"
#include "frame/platform.h"
#include "vok/frame.h"

namespace {

constexpr const char* kTerminateText = "TRM Library:\nterminating the application";

// The message-box report's fixed buffers, terminating zero included; longer
// texts are cut at the end.
constexpr int kBoxTextSize = 200;
constexpr int kBoxTitleSize = 100;

bool isTraceStatus(int status) { return status == VOK_StatusBacktrace || status == VOK_StatusAutotrace; }

[[noreturn]] void terminateFromBox() {
    if (vok::platform::runsOnWin32s()) {
        vok::platform::askBox(kTerminateText, "Win32S: Application exit", vok::platform::Buttons::ok);
        std::exit(1);
    }
    vok::platform::fatalAppExit(kTerminateText);
}

}  // namespace

extern "C" {

VOK_API int VOK_CALL vokGetErrStatus(void) { return vok::threadContext().status; }
VOK_API void VOK_CALL vokSetErrStatus(int status) { vok::threadContext().status = status; }
VOK_API int VOK_CALL vokGetErrMode(void) { return vok::threadContext().errorMode; }
VOK_API void VOK_CALL vokSetErrMode(int mode) { vok::threadContext().errorMode = mode; }

VOK_API VokReportFunc VOK_CALL vokRedirectError(VokReportFunc hook) {
    VokThreadContext& ctx = vok::threadContext();
    const VokReportFunc previous = ctx.reportHook;
    ctx.reportHook = hook ? hook : vokGuiBoxReport;
    return previous;
}

VOK_API int VOK_CALL vokError(int status, const char* funcName, const char* context, const char* file,
                              int line) {
    VokThreadContext& ctx = vok::threadContext();
    // Trace records are never stored, so the first failure of a chain survives.
    if (!isTraceStatus(status)) ctx.status = status;
    if (status == VOK_StatusOk) return VOK_StatusOk;
    return ctx.reportHook(status, funcName, context, file, line);
}

VOK_API const char* VOK_CALL vokErrorStr(int status) {
    switch (status) {
        case VOK_StatusOk: return "No Error";
        case VOK_StatusBacktrace: return "Backtrace";
        case VOK_StatusInternal: return "Internal error (bad state)";
        case VOK_StatusNoMemory: return "Out of memory";
        case VOK_StatusBadArg: return "Bad argument";
        case VOK_StatusBadFunction: return "Unsupported function";
        case VOK_StatusNoConvergence: return "Iteration convergence failed";
        case VOK_StatusAutotrace: return "Autotrace call";
        default: return "Unknown error or status code";
    }
}

VOK_API int VOK_CALL vokGuiBoxReport(int status, const char* funcName, const char* context, const char* file,
                                     int line) {
    const VokThreadContext& ctx = vok::threadContext();
    const int mode = ctx.errorMode;
    if (mode == VOK_ErrorModeSilent) return status;
    if (!funcName) funcName = "<unknown>";
    if (!context) context = "";
    if (!file) file = "";
    if (line < 0) line = 0;

    const char* tail = nullptr;
    if (mode == VOK_ErrorModeLeaf) tail = "\n\nErrMode=VOK_ErrorModeLeaf\n\nTerminate the application?";
    else if (mode == VOK_ErrorModeParent) tail = "\n\nErrMode=VOK_ErrorModeParent\n\nContinue?";
    else return status;  // unknown modes show no box

    char text[kBoxTextSize];
    char title[kBoxTitleSize];
    const char* format = status == VOK_StatusBacktrace   ? "called from [%s:%d]:%s():\n %s%s"
                         : status == VOK_StatusAutotrace ? "called from [%s:%d]:\n %s(%s)%s"
                                                         : "in function [%s:%d]:%s():\n %s%s";
    std::snprintf(text, sizeof text, format, file, line, funcName, context, tail);
    // The title names the stored status: for a backtrace record that is the first failure.
    std::snprintf(title, sizeof title, "TRM Library Error: %s", vokErrorStr(ctx.status));

    if (mode == VOK_ErrorModeParent) {
        if (!vok::platform::askBox(text, title, vok::platform::Buttons::okCancel)) terminateFromBox();
    } else {
        if (vok::platform::askBox(text, title, vok::platform::Buttons::yesNo)) terminateFromBox();
    }
    return status;
}

VOK_API int VOK_CALL vokStdErrReport(int status, const char* funcName, const char* context, const char* file,
                                     int line) {
    const int mode = vok::threadContext().errorMode;
    if (mode == VOK_ErrorModeSilent) return status;
    if (isTraceStatus(status))
        std::fputs("\tcalled from", stderr);
    else
        std::fprintf(stderr, "\nTRM Library Error: %s \n\tin function", vokErrorStr(status));
    // A missing file with a positive line prints as "(null)".
    if (line > 0 || file) std::fprintf(stderr, " [%s:%d]", file ? file : "(null)", line);
    std::fprintf(stderr, ":%s", funcName ? funcName : "<unknown>");
    if (context) std::fprintf(stderr, status == VOK_StatusAutotrace ? "(%s)" : "(): %s", context);
    std::fputs("\n", stderr);
    std::fflush(stderr);
    if (mode == VOK_ErrorModeLeaf) {
        std::fputs("TRM Library Error\nErrMode=VOK_ErrModeLeaf\nterminating the application", stderr);
        std::fflush(stderr);
        std::exit(1);
    }
    return status;
}

VOK_API int VOK_CALL vokNulDevReport(int status, const char*, const char*, const char*, int) {
    if (vok::threadContext().errorMode == VOK_ErrorModeLeaf) std::exit(1);
    return status;
}

}  // extern "C"
