// Win32 platform layer: a TLS slot filled at thread attach (or on demand for
// threads that predate the library), message boxes and the fatal application exit.
// A program that links these objects statically gets no load or thread
// notifications: its slot is allocated on first use and its threads' contexts
// outlive them.
#include "frame/platform.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "frame/context.h"
#include "frame/test_seams.h"

namespace vok::platform {
namespace {
std::atomic<DWORD> tlsIndex{TLS_OUT_OF_INDEXES};

DWORD slotIndex() {
    DWORD index = tlsIndex.load(std::memory_order_acquire);
    if (index != TLS_OUT_OF_INDEXES) [[likely]]
        return index;
    DWORD mine = ::TlsAlloc();  // statically linked: no load notification allocated it
    if (mine == TLS_OUT_OF_INDEXES) fatalAppExit("VOKlib. Problem to allocate memory for TLS VOK context.");
    if (tlsIndex.compare_exchange_strong(index, mine, std::memory_order_acq_rel)) return mine;
    ::TlsFree(mine);  // another thread was first
    return index;
}
}  // namespace

VokThreadContext* loadContext() { return static_cast<VokThreadContext*>(::TlsGetValue(slotIndex())); }

void storeContext(VokThreadContext* ctx) { ::TlsSetValue(slotIndex(), ctx); }

bool askBox(const char* text, const char* title, Buttons buttons) {
    if (auto responder = testing::boxResponder()) return responder(text, title, static_cast<int>(buttons));
    UINT type = MB_SYSTEMMODAL;
    switch (buttons) {
        case Buttons::yesNo: type |= MB_YESNO; break;
        case Buttons::okCancel: type |= MB_OKCANCEL; break;
        case Buttons::ok: type |= MB_OK; break;
    }
    const int answer = ::MessageBoxA(nullptr, text, title, type);
    if (answer == IDYES || answer == IDOK) return true;
    if (answer == IDNO || answer == IDCANCEL) return false;
    // No box could be shown (no desktop, a service): as without a terminal on
    // POSIX, the text goes to standard error and the answer is the first
    // button, which keeps the mode's meaning (Leaf ends, Parent continues).
    std::fprintf(stderr, "%s\n%s\n", title, text);
    std::fflush(stderr);
    return true;
}

bool runsOnWin32s() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32s;
}

void fatalAppExit(const char* text) {
    std::fprintf(stderr, "%s\n", text);  // console programs keep the reason when no box can be shown
    std::fflush(stderr);
    ::FatalAppExitA(0, text);
    ::ExitProcess(1);  // not reached
}

}  // namespace vok::platform

using vok::platform::tlsIndex;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH: {
            const DWORD index = ::TlsAlloc();
            if (index == TLS_OUT_OF_INDEXES) return FALSE;
            tlsIndex.store(index, std::memory_order_release);
            VokThreadContext* ctx = vok::createContext();
            if (!ctx) return FALSE;
            ::TlsSetValue(index, ctx);
            return TRUE;
        }
        case DLL_THREAD_ATTACH: {
            VokThreadContext* ctx = vok::createContext();
            if (!ctx) return FALSE;  // created later on demand
            ::TlsSetValue(tlsIndex, ctx);
            return TRUE;
        }
        case DLL_THREAD_DETACH:
        case DLL_PROCESS_DETACH: {
            if (auto* ctx = static_cast<VokThreadContext*>(::TlsGetValue(tlsIndex))) {
                vok::releaseContext(ctx);
                ::TlsSetValue(tlsIndex, nullptr);
            }
            if (reason == DLL_PROCESS_DETACH) ::TlsFree(tlsIndex);
            return TRUE;
        }
    }
    return TRUE;
}
