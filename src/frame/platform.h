// The few operating-system services the library needs: the thread's context
// slot, the two-button question of the message-box report, the platform check
// of the termination procedure and the fatal exit.
#pragma once

#include "vok/types.h"

namespace vok::platform {

// The calling thread's context slot; null until a context is stored.
#ifdef _WIN32
VokThreadContext* loadContext();
#else
// Every transform call reads it: a plain pointer of the initial-exec model,
// read inline, is one load from the thread pointer (constinit: no call to a
// dynamic-initialisation wrapper before it).
extern constinit thread_local VokThreadContext* currentContext __attribute__((tls_model("initial-exec")));
inline VokThreadContext* loadContext() { return currentContext; }
#endif
// Stores ctx in the slot; it is released when the thread ends.
void storeContext(VokThreadContext* ctx);

enum class Buttons { yesNo, okCancel, ok };

// Shows text and title as a system-modal question. Returns true when the
// answer is the first button (Yes / OK).
bool askBox(const char* text, const char* title, Buttons buttons);

// True on the 16-bit Windows host with the 32-bit extension layer.
bool runsOnWin32s();

// Shows text and ends the process at once, without exit handlers.
[[noreturn]] void fatalAppExit(const char* text);

}  // namespace vok::platform
