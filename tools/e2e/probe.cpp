// A Windows helper for the end-to-end tests: reports the top-level windows as the
// Windows side sees them, stands in for the taskbar where Wine has none, and records
// the addresses the shell is asked to open. Build: i686-w64-mingw32-g++ (tests/e2e).
//   probe list            one line per top-level window, tab-separated UTF-8: handle, pid,
//                         class, title, "left top width height", visible, topmost,
//                         layered alpha (-1: none), enabled, a dialog's controls
//                         ("class:text@left,top,width,height", separated by " | "),
//                         "x y" of the client area's origin, 1 for the foreground window
//   probe tray            show the "Shell_TrayWnd" window as a strip at the bottom of the
//                         screen, creating one (and then running on) if there is none
//   probe record ARGS...  append the command line's arguments to opened.txt beside the exe
#define UNICODE
#define _UNICODE
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// Tabs and line breaks inside titles would break the line format.
std::string field(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return s;
}

// One dialog control as "class:text@left,top,width,height" (screen coordinates).
BOOL CALLBACK collectControl(HWND child, LPARAM out) {
    if (!IsWindowVisible(child)) return TRUE;
    wchar_t cls[64] = {}, text[512] = {};
    GetClassNameW(child, cls, 64);
    GetWindowTextW(child, text, 512);
    RECT r{};
    GetWindowRect(child, &r);
    char where[64];
    std::snprintf(where, sizeof where, "@%ld,%ld,%ld,%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
    auto& texts = *reinterpret_cast<std::string*>(out);
    std::string one = field(utf8(cls)) + ":" + field(utf8(text)) + where;
    for (char& c : one)
        if (c == '|') c = '/';
    texts += (texts.empty() ? "" : " | ") + one;
    return TRUE;
}

BOOL CALLBACK listOne(HWND h, LPARAM) {
    wchar_t cls[256] = {}, title[512] = {};
    GetClassNameW(h, cls, 256);
    GetWindowTextW(h, title, 512);
    RECT r{};
    GetWindowRect(h, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    const LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
    int alpha = -1;
    if (ex & WS_EX_LAYERED) {
        BYTE a = 0;
        DWORD flags = 0;
        if (GetLayeredWindowAttributes(h, nullptr, &a, &flags) && (flags & LWA_ALPHA)) alpha = a;
    }
    // Dialogs (message and input boxes) say what they are in their child controls.
    std::string texts;
    if (std::wstring(cls) == L"#32770") EnumChildWindows(h, collectControl, reinterpret_cast<LPARAM>(&texts));
    POINT client{0, 0};
    ClientToScreen(h, &client);
    std::printf("%lu\t%lu\t%s\t%s\t%ld %ld %ld %ld\t%d\t%d\t%d\t%d\t%s\t%ld %ld\t%d\n",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(h)), static_cast<unsigned long>(pid),
                field(utf8(cls)).c_str(), field(utf8(title)).c_str(), r.left, r.top, r.right - r.left,
                r.bottom - r.top, IsWindowVisible(h) ? 1 : 0, (ex & WS_EX_TOPMOST) ? 1 : 0, alpha,
                IsWindowEnabled(h) ? 1 : 0, texts.c_str(), client.x, client.y,
                GetForegroundWindow() == h ? 1 : 0);
    return TRUE;
}

int listWindows() {
    EnumWindows(listOne, 0);
    std::fflush(stdout);
    return 0;
}

LRESULT CALLBACK trayProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        HBRUSH b = CreateSolidBrush(RGB(40, 60, 90));
        FillRect(dc, &ps.rcPaint, b);
        DeleteObject(b);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, m, wp, lp);
}

// NOTE: Wine without a virtual desktop keeps its taskbar window hidden and sized 0 x 0,
// so "hidden" would hold whatever the widget did. The probe makes it a visible strip
// first; the widget hides and shows whatever window of this class exists. Where there
// is none, a plain window of the class stands in.
int standInTray() {
    const int w = GetSystemMetrics(SM_CXSCREEN), hgt = GetSystemMetrics(SM_CYSCREEN);
    if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        SetWindowPos(tray, nullptr, 0, hgt - 30, w, 30, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(tray, SW_SHOWNA);
        std::printf("%s\n", IsWindowVisible(tray) ? "existing shown" : "existing hidden");
        std::fflush(stdout);
        return IsWindowVisible(tray) ? 0 : 1;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = trayProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP | WS_VISIBLE, 0, hgt - 30, w, 30,
                             nullptr, nullptr, wc.hInstance, nullptr);
    if (!h) return 1;
    std::printf("created\n");
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// The arguments exactly as the shell passed them: the command line after the program.
int record() {
    std::wstring line = GetCommandLineW();
    size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        i = line.find(L'"', 1);
        i = (i == std::wstring::npos) ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != L' ') ++i;
    }
    while (i < line.size() && line[i] == L' ') ++i;
    std::wstring rest = line.substr(i);
    // Skip the "record" word itself.
    if (rest.rfind(L"record", 0) == 0) rest = rest.substr(6);
    while (!rest.empty() && rest[0] == L' ') rest.erase(0, 1);

    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"opened.txt";
    FILE* f = _wfopen(path.c_str(), L"ab");
    if (!f) return 1;
    const std::string bytes = utf8(rest) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "list") return listWindows();
    if (mode == "tray") return standInTray();
    if (mode == "record") return record();
    std::fprintf(stderr, "usage: probe list | tray | record ARGS...\n");
    return 2;
}
