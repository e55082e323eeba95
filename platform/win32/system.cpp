// Win32 calls behind the widget's program, shell, keyboard, taskbar, shutdown,
// opacity and file services, and the table of directly called system functions.
#include "platform/win32/system.h"

#include <shellapi.h>
#include <tlhelp32.h>
// NOTE: with UNICODE the Tool Help names map to the wide forms; the logic's table
// holds the ANSI functions and record, so the macros go.
#undef Process32First
#undef Process32Next
#undef PROCESSENTRY32
using ProcessEntryA = tagPROCESSENTRY32;

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/win32/wide.h"

namespace {

// GetProcAddress gives a generic pointer; going through void(*)() tells the compiler
// the cast to the real signature is intended.
template <class F>
F procAs(FARPROC p) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

}  // namespace

bool runCommandLineGbk(const std::string& commandLine, bool wait) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring wide = win32::widen(commandLine);
    std::vector<wchar_t> buffer(wide.begin(), wide.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    if (wait)
        WaitForSingleObject(pi.hProcess, INFINITE);
    else
        WaitForInputIdle(pi.hProcess, 1000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void shellOpenGbk(const std::string& file) {
    ShellExecuteW(nullptr, nullptr, win32::widen(file).c_str(), nullptr, L"", SW_SHOWNORMAL);
}

void openUrlGbk(const std::string& address) {
    HWND owner = FindWindowW(nullptr, L"Microsoft Internet Explorer");
    ShellExecuteW(owner, L"open", win32::widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void pressKeysWin(int key1, int key2) {
    auto key = [](int vk, DWORD flags) {
        BYTE code = static_cast<BYTE>(vk);
        keybd_event(code, static_cast<BYTE>(MapVirtualKeyW(code, MAPVK_VK_TO_VSC)), flags, 0);
    };
    // NOTE: released in the order pressed (not reversed); the shell still sees the
    // Windows-key combination because both keys are down together first.
    key(key1, 0);
    key(key2, 0);
    key(key1, KEYEVENTF_KEYUP);
    key(key2, KEYEVENTF_KEYUP);
}

namespace {
void showTaskbar(int how) {
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!tray) return;
    ShowWindow(tray, how);
    UpdateWindow(tray);
}
}  // namespace

void hideTaskbarWin() { showTaskbar(SW_HIDE); }
void showTaskbarWin() { showTaskbar(SW_SHOW); }

bool enableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES tp;
    ZeroMemory(&tp, sizeof tp);
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &tp.Privileges[0].Luid)) {
        CloseHandle(token);
        return false;
    }
    // NOTE: AdjustTokenPrivileges succeeds even when the privilege was not granted;
    // only the last error (ERROR_NOT_ALL_ASSIGNED) tells.
    AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
    DWORD error = GetLastError();
    CloseHandle(token);
    return error == 0;
}

bool shutDownSystemWin(int mode, bool force) {
    if (mode != 2) return false;
    if (!enableShutdownPrivilege()) return false;
    return ExitWindowsEx(EWX_REBOOT | (force ? EWX_FORCE : 0), 0) != 0;
}

bool setWindowOpacityWin(HWND window, int opacity) {
    if (opacity < 0 || opacity > 255) opacity = 255;
    // NOTE: looked up on every call; systems before Windows 2000 lack the function and
    // then nothing is changed.
    using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user = GetModuleHandleA("user32.dll");
    SetLayered set = user ? procAs<SetLayered>(GetProcAddress(user, "SetLayeredWindowAttributes"))
                          : nullptr;
    if (!set) return false;
    SetWindowLongA(window, GWL_EXSTYLE, WS_EX_LAYERED);
    return set(window, 0, static_cast<BYTE>(opacity), LWA_ALPHA) != 0;
}

// ---------------------------------------------------------------- direct calls -----

// Our mirrors of the SDK records are handed to the system as they are.
static_assert(sizeof(ShQueryRbInfo) == sizeof(SHQUERYRBINFO));
static_assert(offsetof(ShQueryRbInfo, cbSize) == offsetof(SHQUERYRBINFO, cbSize));
static_assert(offsetof(ShQueryRbInfo, i64Size) == offsetof(SHQUERYRBINFO, i64Size));
static_assert(offsetof(ShQueryRbInfo, i64NumItems) == offsetof(SHQUERYRBINFO, i64NumItems));
static_assert(sizeof(ProcessEntry32) == sizeof(ProcessEntryA));
#define SAME_FIELD(f) static_assert(offsetof(ProcessEntry32, f) == offsetof(ProcessEntryA, f))
SAME_FIELD(dwSize);
SAME_FIELD(cntUsage);
SAME_FIELD(th32ProcessID);
SAME_FIELD(th32DefaultHeapID);
SAME_FIELD(th32ModuleID);
SAME_FIELD(cntThreads);
SAME_FIELD(th32ParentProcessID);
SAME_FIELD(pcPriClassBase);
SAME_FIELD(dwFlags);
SAME_FIELD(szExeFile);
#undef SAME_FIELD
// INVALID_HANDLE_VALUE is the all-ones pointer, which kInvalidSysHandle mirrors.
static_assert(sizeof(SysHandle) == sizeof(HANDLE));
static_assert(kInvalidSysHandle == static_cast<SysHandle>(-1));

namespace {

enum Fn { kDrives, kQueryBin, kEmptyBin, kBringToTop, kSnapshot, kFirst, kNext, kClose, kFnCount };

struct FnName {
    const char* dll;
    const char* name;
};
constexpr FnName kNames[kFnCount] = {
    {"kernel32.dll", "GetLogicalDriveStringsA"}, {"shell32.dll", "SHQueryRecycleBinA"},
    {"shell32.dll", "SHEmptyRecycleBinA"},       {"user32.dll", "BringWindowToTop"},
    {"kernel32.dll", "CreateToolhelp32Snapshot"}, {"kernel32.dll", "Process32First"},
    {"kernel32.dll", "Process32Next"},           {"kernel32.dll", "CloseHandle"},
};

// The libraries loaded for the table and the functions found so far. Freed with the
// last copy of the table.
class Resolver {
public:
    Resolver() = default;
    Resolver(const Resolver&) = delete;
    Resolver& operator=(const Resolver&) = delete;
    ~Resolver() {
        for (HMODULE m : modules_)
            if (m) FreeLibrary(m);
    }

    template <class F>
    F get(Fn f) {
        if (!procs_[f]) {
            HMODULE& m = modules_[moduleIndex(kNames[f].dll)];
            if (!m) m = LoadLibraryA(kNames[f].dll);
            if (m) procs_[f] = GetProcAddress(m, kNames[f].name);
        }
        return procAs<F>(procs_[f]);
    }

private:
    static int moduleIndex(const char* dll) { return dll[0] == 'k' ? 0 : dll[0] == 's' ? 1 : 2; }
    HMODULE modules_[3] = {};
    FARPROC procs_[kFnCount] = {};
};

HANDLE toHandle(SysHandle h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

SystemCalls makeSystemCalls() {
    auto r = std::make_shared<Resolver>();
    SystemCalls c;
    c.GetLogicalDriveStringsA = [r](std::uint32_t size, char* buffer) -> std::uint32_t {
        auto f = r->get<DWORD(WINAPI*)(DWORD, LPSTR)>(kDrives);
        return f ? f(size, buffer) : 0;
    };
    c.SHQueryRecycleBinA = [r](const char* root, ShQueryRbInfo* info) -> std::int32_t {
        auto f = r->get<HRESULT(WINAPI*)(LPCSTR, SHQUERYRBINFO*)>(kQueryBin);
        return f ? f(root, reinterpret_cast<SHQUERYRBINFO*>(info)) : E_FAIL;
    };
    c.SHEmptyRecycleBinA = [r](WindowHandle owner, const char* root,
                               std::uint32_t flags) -> std::int32_t {
        auto f = r->get<HRESULT(WINAPI*)(HWND, LPCSTR, DWORD)>(kEmptyBin);
        return f ? f(reinterpret_cast<HWND>(owner), root, flags) : E_FAIL;
    };
    c.BringWindowToTop = [r](WindowHandle w) -> bool {
        auto f = r->get<BOOL(WINAPI*)(HWND)>(kBringToTop);
        return f && f(reinterpret_cast<HWND>(w));
    };
    c.CreateToolhelp32Snapshot = [r](std::uint32_t flags, std::uint32_t pid) -> SysHandle {
        auto f = r->get<HANDLE(WINAPI*)(DWORD, DWORD)>(kSnapshot);
        return f ? reinterpret_cast<SysHandle>(f(flags, pid)) : kInvalidSysHandle;
    };
    c.Process32First = [r](SysHandle h, ProcessEntry32* e) -> bool {
        auto f = r->get<BOOL(WINAPI*)(HANDLE, ProcessEntryA*)>(kFirst);
        return f && f(toHandle(h), reinterpret_cast<ProcessEntryA*>(e));
    };
    c.Process32Next = [r](SysHandle h, ProcessEntry32* e) -> bool {
        auto f = r->get<BOOL(WINAPI*)(HANDLE, ProcessEntryA*)>(kNext);
        return f && f(toHandle(h), reinterpret_cast<ProcessEntryA*>(e));
    };
    c.CloseHandle = [r](SysHandle h) -> bool {
        auto f = r->get<BOOL(WINAPI*)(HANDLE)>(kClose);
        return f && f(toHandle(h));
    };
    return c;
}

// ---------------------------------------------------------------- files ------------

std::string runDirectoryGbk() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return {};  // longer than any Windows path
        path.resize(path.size() * 2);
    }
    std::size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos) return {};
    return win32::narrow(path.substr(0, cut));
}

std::string readFileGbk(const std::string& path) {
    if (path.empty()) return {};
    HANDLE file = CreateFileW(win32::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= kReadFileLimit) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            DWORD want = static_cast<DWORD>(bytes.size() - done);
            if (!ReadFile(file, &bytes[done], want, &got, nullptr) || got == 0) break;
            done += got;
        }
        if (done != bytes.size()) bytes.clear();  // shorter than its size said: a failure
    }
    CloseHandle(file);
    return bytes;
}
