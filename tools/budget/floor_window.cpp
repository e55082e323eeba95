// The least a breathing, pointer-watching icon can do with the Win32 API, written
// straight against it with nothing else: a shown 42 x 42 window with the icon's timer
// periods whose ticks do only what the icon's handlers must do at the least.
//  - every tick first lets queued messages run (one PeekMessage), as the handlers do;
//  - 40 ms: the pointer and the window's rectangle are read;
//  - 120 ms: the next frame file is read whole (it may have been replaced) and the
//    window is invalidated; its paint copies a bitmap prepared once, so no picture is
//    decoded and no shape is ever set.
// Its CPU time is a lower bound for any implementation of the widget's idle icon on the
// same system. Usage: floor_window.exe FRAME_DIRECTORY (frames 黑图标1.png .. 20).
#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kPeriods[] = {1000, 120, 800, 0, 40};
constexpr int kSize = 42, kFrames = 20;

std::wstring frameDirectory;
int frame = 1;
HDC pictureDc = nullptr;
std::vector<char> frameBytes;  // kept between reads like a shown picture's bytes

void readFrame() {
    frame = frame % kFrames + 1;
    const std::wstring path =
        frameDirectory + L"\\\u9ed1\u56fe\u6807" + std::to_wstring(frame) + L".png";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart < (1 << 20)) {
        frameBytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ReadFile(f, frameBytes.data(), static_cast<DWORD>(frameBytes.size()), &got, nullptr);
    }
    CloseHandle(f);
}

void letQueuedRun() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

LRESULT CALLBACK floorProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER: {
            letQueuedRun();
            if (wp == 5) {  // 40 ms
                POINT p;
                RECT r;
                GetCursorPos(&p);
                GetWindowRect(h, &r);
            } else if (wp == 2) {  // 120 ms
                readFrame();
                InvalidateRect(h, nullptr, FALSE);
            }
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            BitBlt(dc, 0, 0, kSize, kSize, pictureDc, 0, 0, SRCCOPY);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(h, msg, wp, lp);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int) {
    frameDirectory = cmdLine;
    while (!frameDirectory.empty() && frameDirectory.back() == L' ') frameDirectory.pop_back();
    if (frameDirectory.size() > 1 && frameDirectory.front() == L'"')
        frameDirectory = frameDirectory.substr(1, frameDirectory.size() - 2);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = floorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"BudgetFloorWindow";
    if (!RegisterClassExW(&wc)) return 1;

    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!picture) return 1;
    auto* px = static_cast<DWORD*>(bits);
    for (int i = 0; i < kSize * kSize; ++i) px[i] = 0x00303030u + static_cast<DWORD>(i % kSize);
    pictureDc = CreateCompatibleDC(nullptr);
    SelectObject(pictureDc, picture);

    // Where the widget's docked icon is not: the two must not cover each other.
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"budget floor", WS_POPUP,
                                  200, 600, kSize, kSize, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    for (UINT id = 0; id < sizeof kPeriods / sizeof kPeriods[0]; ++id)
        if (kPeriods[id] != 0) SetTimer(window, id + 1, kPeriods[id], nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
