// Keeping the desktop whole while the lock screen hides the taskbar: guards that show
// it again when the process ends abnormally, and the hidden owner window, which also
// hears about the end of the session and about a shell that re-created its taskbar.
#include "platform/win32/taskbar.h"

#include <csignal>
#include <cstdlib>
#include <exception>

#include "platform/win32/desktop.h"
#include "platform/win32/system.h"

namespace win32 {

namespace {

volatile LONG gHiddenByUs = 0;
LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter = nullptr;
std::terminate_handler gPreviousTerminate = nullptr;
constexpr wchar_t kOwnerClass[] = L"DeskWidgetOwner";

// NOTE: asynchronous on purpose: on a crash path the process must not wait on a shell
// that may itself hang; the request sits in the shell's queue after we are gone.
void showTaskbarNow() {
    if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) ShowWindowAsync(tray, SW_SHOW);
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* e) {
    if (gHiddenByUs) showTaskbarNow();
    return gPreviousFilter ? gPreviousFilter(e) : EXCEPTION_CONTINUE_SEARCH;
}

void onTerminate() {
    if (gHiddenByUs) showTaskbarNow();
    if (gPreviousTerminate) gPreviousTerminate();
    std::abort();
}

void onAbort(int) {
    if (gHiddenByUs) showTaskbarNow();
}

BOOL WINAPI onConsoleEvent(DWORD) {
    if (gHiddenByUs) showTaskbarNow();
    return FALSE;  // the process ends as it would have
}

UINT taskbarCreatedMessage() {
    static UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

LRESULT CALLBACK ownerProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    Desktop* d = Desktop::current();
    return d ? d->ownerMessage(h, m, wp, lp) : DefWindowProcW(h, m, wp, lp);
}

}  // namespace

void installTaskbarGuards() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    gPreviousFilter = SetUnhandledExceptionFilter(onUnhandledException);
    gPreviousTerminate = std::set_terminate(onTerminate);
    std::signal(SIGABRT, onAbort);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void noteTaskbarHiddenByUs(bool hidden) { InterlockedExchange(&gHiddenByUs, hidden ? 1 : 0); }

bool taskbarHiddenByUs() { return gHiddenByUs != 0; }

void showTaskbarIfHidden() {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (tray && !IsWindowVisible(tray)) showTaskbarWin();
}

void showTaskbarIfWeHidIt() {
    if (!gHiddenByUs) return;
    showTaskbarWin();
    noteTaskbarHiddenByUs(false);
}

void Desktop::createOwnerWindow() {
    static bool registered = false;
    if (!registered) {
        registered = true;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpfnWndProc = ownerProc;
        wc.lpszClassName = kOwnerClass;
        RegisterClassExW(&wc);
    }
    // A real (if hidden) top-level window, not a message-only one: windows it owns get
    // no taskbar button, and it receives the session's and the shell's broadcasts.
    owner_ = CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    taskbarCreatedMessage();
}

LRESULT Desktop::ownerMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == taskbarCreatedMessage() && msg != 0) {
        // A restarted shell brings its taskbar back; the lock screen keeps it hidden.
        if (taskbarHiddenByUs()) hideTaskbarWin();
        return 0;
    }
    if (msg == WM_ENDSESSION && wp) {
        showTaskbarIfWeHidIt();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace win32
