// POSIX platform layer. The thread's context lives in a thread_local slot whose
// destructor releases it at thread exit. The message-box question is asked on
// the controlling terminal; without one the answer is the first button, which
// keeps each mode's meaning (Yes = terminate in the leaf mode, OK = continue in
// the parent mode), and the text goes to standard error instead.
#include "frame/platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "frame/context.h"
#include "frame/test_seams.h"

namespace vok::platform {

// Read by loadContext (platform.h); the slot below, whose destructor needs a
// registration guard, would cost a resolver call on every read.
constinit thread_local VokThreadContext* currentContext __attribute__((tls_model("initial-exec"))) = nullptr;

namespace {

struct ContextSlot {
    VokThreadContext* ctx = nullptr;
    ~ContextSlot() {
        currentContext = nullptr;
        if (ctx) releaseContext(ctx);
        ctx = nullptr;
    }
};
thread_local ContextSlot slot;

void writeAll(int fd, const char* text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        ssize_t done = ::write(fd, text, left);
        if (done <= 0) return;
        text += done;
        left -= static_cast<size_t>(done);
    }
}

const char* promptFor(Buttons buttons) {
    switch (buttons) {
        case Buttons::yesNo: return "\n[Y]es / [N]o? ";
        case Buttons::okCancel: return "\n[O]K / [C]ancel? ";
        case Buttons::ok: return "\n[O]K ";
    }
    return "";
}

// Reads one answer; -1 when the terminal closes before a valid one.
int readAnswer(int fd, Buttons buttons) {
    char line[64];
    for (;;) {
        writeAll(fd, promptFor(buttons));
        ssize_t got = ::read(fd, line, sizeof line - 1);
        if (got <= 0) return -1;
        line[got] = '\0';
        const char c = line[0];
        switch (buttons) {
            case Buttons::yesNo:
                if (c == 'y' || c == 'Y') return 1;
                if (c == 'n' || c == 'N') return 0;
                break;
            case Buttons::okCancel:
                if (c == 'o' || c == 'O' || c == '\n') return 1;
                if (c == 'c' || c == 'C') return 0;
                break;
            case Buttons::ok: return 1;
        }
    }
}

}  // namespace

void storeContext(VokThreadContext* ctx) {
    slot.ctx = ctx;
    currentContext = ctx;
}

bool askBox(const char* text, const char* title, Buttons buttons) {
    if (auto responder = testing::boxResponder()) return responder(text, title, static_cast<int>(buttons));
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        std::fprintf(stderr, "%s\n%s\n", title, text);
        std::fflush(stderr);
        return true;
    }
    writeAll(tty, "\n");
    writeAll(tty, title);
    writeAll(tty, "\n");
    writeAll(tty, text);
    const int answer = readAnswer(tty, buttons);
    ::close(tty);
    return answer != 0;  // a closed terminal takes the first button too
}

bool runsOnWin32s() { return false; }

void fatalAppExit(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace vok::platform
