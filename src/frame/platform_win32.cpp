// Win32 platform layer: a TLS slot filled at thread attach (or on demand for
// threads that predate the library), message boxes and the fatal application exit.
#include "frame/platform.h"

#include <windows.h>

#include "frame/context.h"
#include "frame/test_seams.h"

namespace vok::platform {
namespace {
DWORD tlsIndex = TLS_OUT_OF_INDEXES;
}

VokThreadContext* loadContext() {
    return static_cast<VokThreadContext*>(::TlsGetValue(tlsIndex));
}

void storeContext(VokThreadContext* ctx) { ::TlsSetValue(tlsIndex, ctx); }

bool askBox(const char* text, const char* title, Buttons buttons) {
    if (auto responder = testing::boxResponder()) return responder(text, title, static_cast<int>(buttons));
    UINT type = MB_SYSTEMMODAL;
    switch (buttons) {
        case Buttons::yesNo: type |= MB_YESNO; break;
        case Buttons::okCancel: type |= MB_OKCANCEL; break;
        case Buttons::ok: type |= MB_OK; break;
    }
    const int answer = ::MessageBoxA(nullptr, text, title, type);
    return answer == IDYES || answer == IDOK;
}

bool runsOnWin32s() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return ::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32s;
}

void fatalAppExit(const char* text) {
    ::FatalAppExitA(0, text);
    ::ExitProcess(1);  // not reached
}

}  // namespace vok::platform

using vok::platform::tlsIndex;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH: {
            tlsIndex = ::TlsAlloc();
            if (tlsIndex == TLS_OUT_OF_INDEXES) return FALSE;
            VokThreadContext* ctx = vok::createContext();
            if (!ctx) return FALSE;
            ::TlsSetValue(tlsIndex, ctx);
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
