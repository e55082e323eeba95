// What Wine itself keeps for the rest of a process after a first use, counted in this
// process: a window with many children (the DC cache), waveOut (its device threads)
// and a dialog (system brushes). Tells those counts apart from leaks in the budget.
// Build: i686-w64-mingw32-g++ -std=c++20 -O2 -static tools/budget/wine_keeps.cpp -lwinmm
// Run:   scripts/wine_test.sh a.exe   (prints one line of counts after each step)
#include <windows.h>
#include <mmsystem.h>
#include <tlhelp32.h>

#include <cstdio>

namespace {

// The process's GDI objects by type, from Wine's handle table (see probe.cpp).
void gdiCounts(int byType[256], int& total) {
    const BYTE* peb = nullptr;
    asm("movl %%fs:0x30, %0" : "=r"(peb));
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + 0x94);
    total = 0;
    for (int t = 0; t < 256; ++t) byType[t] = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (const BYTE type = table[i * 24 + 14]) ++byType[type], ++total;
}

DWORD threads() {
    HANDLE s = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    DWORD n = 0;
    for (BOOL ok = Thread32First(s, &t); ok; ok = Thread32Next(s, &t)) n += t.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(s);
    return n;
}

BOOL CALLBACK countOne(HWND h, LPARAM n) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    *reinterpret_cast<int*>(n) += pid == GetCurrentProcessId();
    return TRUE;
}

int topWindows() {
    int n = 0;
    EnumWindows(countOne, reinterpret_cast<LPARAM>(&n));
    for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
         h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr))
        countOne(h, reinterpret_cast<LPARAM>(&n));
    return n;
}

void report(const char* after) {
    int byType[256], total;
    gdiCounts(byType, total);
    std::printf("%-34s gdi %3d (dc %2d region %2d bitmap %2d font %2d brush %2d type9 %2d)  threads %lu  windows %d\n",
                after, total, byType[0x01], byType[0x04], byType[0x05], byType[0x0a], byType[0x10], byType[0x09],
                threads(), topWindows());
}

void pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG m;
    while (GetTickCount() < end) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

int main() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"WineKeeps";
    RegisterClassW(&wc);
    report("start");

    for (int round = 1; round <= 2; ++round) {
        HWND top = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                   nullptr, nullptr);
        for (int i = 0; i < 30; ++i)
            CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, i * 10, 0, 10, 10, top, nullptr, nullptr,
                            nullptr);
        pump(300);
        DestroyWindow(top);
        pump(100);
        char what[64];
        std::snprintf(what, sizeof what, "window + 30 children shown, gone %d", round);
        report(what);
    }
    for (int round = 1; round <= 2; ++round) {
        WAVEFORMATEX f{WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
        HWAVEOUT out = nullptr;
        const MMRESULT r = waveOutOpen(&out, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL);
        if (r == MMSYSERR_NOERROR) waveOutClose(out);
        pump(300);
        char what[64];
        std::snprintf(what, sizeof what, "waveOut opened and closed %d (%u)", round, r);
        report(what);
    }
    for (int round = 1; round <= 2; ++round) {
        // A captioned dialog in 宋体 9, as the input box is, shown a moment and destroyed.
        struct {
            DLGTEMPLATE t;
            WORD menu, cls;
            WCHAR title[2];
            WORD points;
            WCHAR font[3];
        } d{};
        d.t.style = DS_SETFONT | WS_POPUP | WS_CAPTION | WS_VISIBLE;
        d.t.cx = 200, d.t.cy = 80;
        d.title[0] = L'x';
        d.points = 9;
        d.font[0] = 0x5B8B, d.font[1] = 0x4F53;  // 宋体
        HWND dialog = CreateDialogIndirectParamW(nullptr, &d.t, nullptr, quietDialog, 0);
        pump(300);
        DestroyWindow(dialog);
        pump(100);
        char what[64];
        std::snprintf(what, sizeof what, "dialog shown and destroyed %d", round);
        report(what);
    }
    return 0;
}
