// Programs, shell, keys, taskbar, opacity, privileges, the direct system calls and
// file reading on Windows (run under Wine).
#include <gtest/gtest.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <vector>

#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "tests/win32/wait_helpers.h"

namespace {

using testwin::fileExists;
using testwin::waitUntil;

// A scratch folder with a Chinese name, so every path crosses the GBK conversion.
std::wstring scratch() {
    std::wstring dir = testwin::tempDir() + L"系统测试";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::string gbk(const std::wstring& w) { return win32::narrow(w); }

TEST(RunCommandLine, StartsProgramsAndWaitsWhenAsked) {
    std::wstring marker = scratch() + L"\\等待.txt";
    DeleteFileW(marker.c_str());
    EXPECT_TRUE(runCommandLineGbk(gbk(L"cmd /c echo 完成> \"" + marker + L"\""), true));
    EXPECT_TRUE(fileExists(marker)) << "with wait the program has finished on return";

    std::wstring later = scratch() + L"\\不等.txt";
    DeleteFileW(later.c_str());
    EXPECT_TRUE(runCommandLineGbk(gbk(L"cmd /c echo x> \"" + later + L"\""), false));
    EXPECT_TRUE(waitUntil([&] { return fileExists(later); }));

    EXPECT_FALSE(runCommandLineGbk("no_such_program_6b.exe", true));
    EXPECT_FALSE(runCommandLineGbk("", false));
}

TEST(ShellOpen, RunsTheFilesDefaultActionAndTheOpenVerb) {
    // A batch file's default action (and its "open" verb) runs it: the marker shows it ran.
    struct Case {
        const wchar_t* name;
        void (*open)(const std::string&);
    } cases[] = {{L"默认", shellOpenGbk}, {L"打开", openUrlGbk}};
    int n = 0;
    for (const auto& c : cases) {
        // The batch file sits at a Chinese path; its own text stays ASCII because cmd
        // reads batch files in the system's code page, whatever that is.
        std::wstring bat = scratch() + L"\\" + c.name + L".bat";
        std::wstring marker = testwin::tempDir() + L"shell_open_" + std::to_wstring(++n) + L".done";
        DeleteFileW(marker.c_str());
        ASSERT_TRUE(testwin::writeFile(bat, "@echo ok> \"" + gbk(marker) + "\"\r\n"));
        c.open(gbk(bat));
        EXPECT_TRUE(waitUntil([&] { return fileExists(marker); }, 10000)) << gbk(c.name);
    }
}

// Keys seen by a low-level keyboard hook on a thread with its own message loop.
struct KeyLog {
    static inline std::vector<std::pair<DWORD, bool>>* events = nullptr;  // (vk, up)
    static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HC_ACTION && events) {
            auto* k = reinterpret_cast<KBDLLHOOKSTRUCT*>(lp);
            events->push_back({k->vkCode, (k->flags & LLKHF_UP) != 0});
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
};

TEST(PressKeys, ReleasesInTheOrderPressed) {
    std::vector<std::pair<DWORD, bool>> seen;
    KeyLog::events = &seen;
    volatile LONG ready = 0, quit = 0;
    DWORD hookThread = 0;
    testwin::Helper h([&] {
        hookThread = GetCurrentThreadId();
        HHOOK hk = SetWindowsHookExW(WH_KEYBOARD_LL, KeyLog::hook, GetModuleHandleW(nullptr), 0);
        InterlockedExchange(&ready, hk ? 1 : 2);
        while (!InterlockedCompareExchange(&quit, 0, 0)) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        if (hk) UnhookWindowsHookEx(hk);
    });
    ASSERT_TRUE(waitUntil([&] { return ready != 0; }));
    ASSERT_EQ(ready, 1) << "no low-level hook";
    pressKeysWin(VK_F13, VK_F14);
    EXPECT_TRUE(waitUntil([&] { return seen.size() >= 4; }));
    InterlockedExchange(&quit, 1);
    h.join();
    KeyLog::events = nullptr;
    std::vector<std::pair<DWORD, bool>> expected = {
        {VK_F13, false}, {VK_F14, false}, {VK_F13, true}, {VK_F14, true}};
    EXPECT_EQ(seen, expected);
}

// NOTE: windows stay hidden unless a test needs them shown: under Wine without a
// window manager, destroying a mapped window waits seconds for the unmapping.
HWND makeWindow(const wchar_t* cls, DWORD exStyle, bool visible = false) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    return CreateWindowExW(exStyle, cls, L"", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 50, 20,
                           nullptr, nullptr, wc.hInstance, nullptr);
}

TEST(Taskbar, HidesAndShowsTheTrayWindowWhenThereIsOne) {
    // Without a taskbar both calls do nothing (and do not fail).
    if (!FindWindowW(L"Shell_TrayWnd", nullptr)) {
        hideTaskbarWin();
        showTaskbarWin();
    }
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    HWND ours = nullptr;
    if (!tray) tray = ours = makeWindow(L"Shell_TrayWnd", WS_EX_TOOLWINDOW, true);
    ASSERT_TRUE(tray);
    hideTaskbarWin();
    EXPECT_FALSE(IsWindowVisible(tray));
    showTaskbarWin();
    EXPECT_TRUE(IsWindowVisible(tray));
    if (ours) DestroyWindow(ours);
}

TEST(WindowOpacity, ReplacesTheExtendedStyleAndClampsTheAlpha) {
    struct Case {
        int asked;
        BYTE applied;
    } cases[] = {{128, 128}, {0, 0}, {255, 255}, {300, 255}, {-5, 255}};
    for (const auto& c : cases) {
        HWND w = makeWindow(L"OpacityTest6b", WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE);
        ASSERT_TRUE(w);
        EXPECT_TRUE(setWindowOpacityWin(w, c.asked)) << c.asked;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(w, GWL_EXSTYLE)) &
                      (WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE | WS_EX_LAYERED),
                  static_cast<DWORD>(WS_EX_LAYERED))
            << "the whole extended style becomes the layered style";
        COLORREF key = 1;
        BYTE alpha = 1;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(w, &key, &alpha, &flags));
        EXPECT_EQ(alpha, c.applied) << c.asked;
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA)) << c.asked;
        DestroyWindow(w);
    }
}

TEST(ShutDownSystem, EnablesThePrivilegeAndOffersOnlyRestart) {
    // Only the refusals are exercised: a real restart would end the session.
    for (int mode : {-1, 0, 1, 3, 4, 8}) EXPECT_FALSE(shutDownSystemWin(mode, true)) << mode;

    ASSERT_TRUE(enableShutdownPrivilege());
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    LUID shutdown;
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown));
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<char> buf(size);
    ASSERT_TRUE(GetTokenInformation(token, TokenPrivileges, buf.data(), size, &size));
    CloseHandle(token);
    auto* tp = reinterpret_cast<TOKEN_PRIVILEGES*>(buf.data());
    bool enabled = false;
    for (DWORD i = 0; i < tp->PrivilegeCount; ++i) {
        const auto& p = tp->Privileges[i];
        if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
            enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    EXPECT_TRUE(enabled);
}

TEST(SystemCalls, ResolvesTheEightFunctionsAndPassesResultsBack) {
    SystemCalls calls = makeSystemCalls();
    char drives[512] = {};
    std::uint32_t n = calls.GetLogicalDriveStringsA(sizeof drives, drives);
    EXPECT_EQ(n, GetLogicalDriveStringsA(sizeof drives, std::vector<char>(512).data()));
    EXPECT_GT(n, 0u);
    EXPECT_EQ(drives[1], ':');
    EXPECT_EQ(drives[2], '\\');
    char tiny[1];
    EXPECT_EQ(calls.GetLogicalDriveStringsA(1, tiny), GetLogicalDriveStringsA(1, tiny))
        << "too small: the size needed comes back as the system gives it";

    ShQueryRbInfo ours;
    ours.cbSize = sizeof ours;
    SHQUERYRBINFO sdk = {};
    sdk.cbSize = sizeof sdk;
    EXPECT_EQ(calls.SHQueryRecycleBinA("C:\\", &ours), SHQueryRecycleBinA("C:\\", &sdk));
    EXPECT_EQ(ours.i64NumItems, sdk.i64NumItems);

    HWND w = makeWindow(L"TopTest6b", 0);
    EXPECT_TRUE(calls.BringWindowToTop(reinterpret_cast<WindowHandle>(w)));
    DestroyWindow(w);
    EXPECT_FALSE(calls.BringWindowToTop(reinterpret_cast<WindowHandle>(w)));

    // Our own process is found in a snapshot, with its executable's file name.
    SysHandle snap = calls.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snap, kInvalidSysHandle);
    ProcessEntry32 e;
    e.dwSize = sizeof e;
    bool found = false;
    int count = 0;
    for (bool more = calls.Process32First(snap, &e); more && count < 10000;
         more = calls.Process32Next(snap, &e), ++count) {
        if (e.th32ProcessID == GetCurrentProcessId()) {
            found = true;
            wchar_t self[MAX_PATH] = {};
            GetModuleFileNameW(nullptr, self, MAX_PATH);
            std::string name = win32::narrow(self);
            name = name.substr(name.rfind('\\') + 1);
            EXPECT_STREQ(e.szExeFile, name.c_str());
        }
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(calls.CloseHandle(snap));
    EXPECT_FALSE(calls.CloseHandle(snap)) << "a closed handle: the system's failure comes back";

    // Copies share the resolved table; each keeps working after the original is gone.
    SystemCalls copy = calls;
    calls = SystemCalls{};
    EXPECT_EQ(copy.GetLogicalDriveStringsA(sizeof drives, drives), n);
}

TEST(RunDirectory, IsTheExecutablesFolderWithoutTrailingBackslash) {
    std::string dir = runDirectoryGbk();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::string exe = win32::narrow(self);
    EXPECT_EQ(exe.substr(0, dir.size() + 1), dir + "\\");
    EXPECT_EQ(exe.find('\\', dir.size() + 1), std::string::npos);
    EXPECT_EQ(readFileGbk(exe).substr(0, 2), "MZ");
}

TEST(ReadFile, GivesTheWholeFileOrNothing) {
    std::wstring dir = scratch();
    std::string bytes("壁纸\0\x01\xFF data", 12);
    std::wstring named = dir + L"\\图片.bin";
    ASSERT_TRUE(testwin::writeFile(named, bytes));
    EXPECT_EQ(readFileGbk(gbk(named)), bytes);

    std::wstring empty = dir + L"\\空.bin";
    ASSERT_TRUE(testwin::writeFile(empty, ""));
    EXPECT_EQ(readFileGbk(gbk(empty)), "");
    EXPECT_EQ(readFileGbk(""), "");
    EXPECT_EQ(readFileGbk(gbk(dir + L"\\没有.bin")), "");
    EXPECT_EQ(readFileGbk(gbk(dir)), "") << "a folder is not a file";

    // Someone writing the file: opening it for reading with write sharing refused fails.
    HANDLE writer = CreateFileW(named.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readFileGbk(gbk(named)), "");
    CloseHandle(writer);
    // Someone only reading it does not stop us.
    HANDLE reader = CreateFileW(named.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(readFileGbk(gbk(named)), bytes);
    CloseHandle(reader);

    // Above the size limit: refused without reading (the file is sparse).
    std::wstring big = dir + L"\\大.bin";
    HANDLE f = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = kReadFileLimit + 1;
    ASSERT_TRUE(SetFilePointerEx(f, at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(f));
    CloseHandle(f);
    EXPECT_EQ(readFileGbk(gbk(big)), "");
    DeleteFileW(big.c_str());
}

}  // namespace
