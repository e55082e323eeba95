// The Windows program: one widget per user session, then the start-up and the
// message loop on the Win32 desktop.
#include <windows.h>

#include "app/startup.h"
#include "platform/win32/desktop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The Local\ namespace is the session's own: another user's widget is no reason
    // to refuse, a second start in this session is.
    HANDLE single = CreateMutexW(nullptr, FALSE, L"Local\\DeskWidget.SingleInstance");
    if (single && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(single);
        return 0;
    }
    AppState state;
    win32::Desktop desk;
    const int code = runWidget(desk, state);
    if (single) CloseHandle(single);
    return code;
}
