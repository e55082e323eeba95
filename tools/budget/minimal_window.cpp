// The baseline of the resource budget: one hidden Win32 window with the icon's timer
// periods (1000, 120, 800 and 40 ms; the fifth timer has period 0 and is not started)
// whose ticks do nothing. With --extra N it creates N brushes, N windows, N menus and
// N events 5 seconds after its start, so that a probe can be checked against objects
// it must see come.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The periods of the widget icon's five timers; 0 means the timer is never started.
constexpr UINT kPeriods[] = {1000, 120, 800, 0, 40};
constexpr UINT_PTR kExtraTimer = 99;

int extra = 0;
std::vector<HGDIOBJ> brushes;

void createExtraObjects(HWND window) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    for (int i = 0; i < extra; ++i) {
        brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
        CreateWindowExW(0, L"BudgetBaselineWindow", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                        nullptr);
        CreatePopupMenu();
        CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
}

LRESULT CALLBACK baselineProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            // The point of the baseline: a tick that costs only its delivery.
            if (wp == kExtraTimer) {
                KillTimer(h, kExtraTimer);
                createExtraObjects(h);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(h, msg, wp, lp);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = baselineProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"BudgetBaselineWindow";
    if (!RegisterClassExW(&wc)) return 1;

    // Never shown: a hidden window still gets its WM_TIMER messages, and nothing is
    // painted, so the baseline is the timers and the message loop alone.
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"budget baseline", WS_POPUP,
                                  0, 0, 42, 42, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    for (UINT id = 0; id < sizeof kPeriods / sizeof kPeriods[0]; ++id)
        if (kPeriods[id] != 0) SetTimer(window, id + 1, kPeriods[id], nullptr);

    if (const char* at = std::strstr(cmdLine, "--extra")) extra = std::atoi(at + 7);
    if (extra > 0) SetTimer(window, kExtraTimer, 5000, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (HGDIOBJ b : brushes) DeleteObject(b);
    return static_cast<int>(msg.wParam);
}
