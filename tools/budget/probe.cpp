// Counts what another process holds, seen from outside it: GDI objects, windows
// (USER objects), kernel handles, threads and memory. One line per process, as
// key=value pairs, so that a script can pick the figures it needs.
// Usage: probe.exe NAME.exe|PID ...   (every process with that file name is probed)
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Counts {
    DWORD gdi = 0;
    bool gdiFromTable = false;
    DWORD gdiByType[256] = {};
    DWORD windows = 0;         // top-level, child and message-only windows
    DWORD visibleTop = 0;      // visible top-level windows among them
    DWORD handles = 0;
    bool handlesKnown = false;
    bool handlesFromList = false;  // from the system's handle list, not the process's count
    DWORD threads = 0;
    SIZE_T workingSet = 0, peakWorkingSet = 0, privateBytes = 0;
    bool memoryKnown = false;
};

// NOTE: Wine answers 0 to GetGuiResources. It keeps a GDI handle table per process,
// which the process environment block points at as on Windows (offset 0x94 in a
// 32-bit one): entries of 24 bytes with the object type at byte 14, 0 when free.
// The table is read out of the other process's memory.
constexpr DWORD kPebGdiTable = 0x94;
constexpr DWORD kGdiEntries = 0x10000, kGdiEntrySize = 24, kGdiTypeAt = 14;

using QueryProcess = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
using QuerySystem = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

FARPROC ntdll(const char* name) { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name); }

void countGdi(HANDLE process, Counts& c) {
    if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS)) {
        c.gdi = n;
        return;
    }
    auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(ntdll("NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return;
    DWORD table = 0;
    const auto* peb = static_cast<const BYTE*>(static_cast<void*>(info.PebBaseAddress));
    if (!ReadProcessMemory(process, peb + kPebGdiTable, &table, sizeof table, nullptr) || !table) return;
    // Read in pages' worth of entries: a table only partly committed still counts
    // up to its end.
    std::vector<BYTE> chunk(4096 * kGdiEntrySize);
    const DWORD perChunk = 4096;
    for (DWORD first = 0; first < kGdiEntries; first += perChunk) {
        SIZE_T got = 0;
        if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table + first * kGdiEntrySize), chunk.data(),
                               chunk.size(), &got) ||
            got != chunk.size())
            break;
        for (DWORD i = 0; i < perChunk; ++i) {
            const BYTE type = chunk[i * kGdiEntrySize + kGdiTypeAt];
            if (type) {
                ++c.gdi;
                ++c.gdiByType[type];
            }
        }
    }
    c.gdiFromTable = true;
}

// NOTE: Wine answers 0 to GetProcessHandleCount for another process. Its server does
// list every process's kernel handles through the system handle information (class
// 16: a count, then 16-byte entries whose first field is the owner's process id).
DWORD handlesFromSystemList(DWORD pid, bool& known) {
    auto query = reinterpret_cast<QuerySystem>(reinterpret_cast<void*>(ntdll("NtQuerySystemInformation")));
    if (!query) return 0;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<BYTE> buffer(1 << 16);
    LONG status;
    ULONG needed = 0;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           kInfoLengthMismatch)
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
    if (status != 0) return 0;
    const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
    DWORD n = 0;
    for (ULONG i = 0; i < entries; ++i)
        n += *reinterpret_cast<const ULONG*>(buffer.data() + 4 + i * 16) == pid;
    known = true;
    return n;
}

struct WindowCount {
    DWORD pid;
    Counts* c;
};

BOOL CALLBACK countChild(HWND, LPARAM p) {
    ++reinterpret_cast<WindowCount*>(p)->c->windows;
    return TRUE;
}

BOOL CALLBACK countTop(HWND h, LPARAM p) {
    auto* wc = reinterpret_cast<WindowCount*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner != wc->pid) return TRUE;
    ++wc->c->windows;
    if (IsWindowVisible(h)) ++wc->c->visibleTop;
    EnumChildWindows(h, countChild, p);
    return TRUE;
}

// Windows are the USER objects that can be seen from another process; menus, cursors,
// icons and hooks cannot (Wine hands out no table of them, and GetGuiResources is 0).
void countWindows(DWORD pid, Counts& c) {
    WindowCount wc{pid, &c};
    EnumWindows(countTop, reinterpret_cast<LPARAM>(&wc));
    // Message-only windows are not top-level windows: EnumWindows leaves them out.
    for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
         h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner != pid) continue;
        ++c.windows;
        EnumChildWindows(h, countChild, reinterpret_cast<LPARAM>(&wc));
    }
}

DWORD countThreads(HANDLE snapshot, DWORD pid) {
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    DWORD n = 0;
    for (BOOL ok = Thread32First(snapshot, &t); ok; ok = Thread32Next(snapshot, &t))
        n += t.th32OwnerProcessID == pid;
    return n;
}

Counts probe(DWORD pid, HANDLE snapshot) {
    Counts c;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process) {
        countGdi(process, c);
        c.handlesKnown = GetProcessHandleCount(process, &c.handles) != 0 && c.handles != 0;
        PROCESS_MEMORY_COUNTERS_EX m{};
        m.cb = sizeof m;
        if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m)) {
            c.memoryKnown = true;
            c.workingSet = m.WorkingSetSize;
            c.peakWorkingSet = m.PeakWorkingSetSize;
            c.privateBytes = m.PrivateUsage;
        }
        CloseHandle(process);
    }
    if (!c.handlesKnown) {
        c.handles = handlesFromSystemList(pid, c.handlesKnown);
        c.handlesFromList = c.handlesKnown;
    }
    countWindows(pid, c);
    c.threads = countThreads(snapshot, pid);
    return c;
}

// Short names for the GDI object types Wine stores in its table.
const char* gdiTypeName(int type) {
    switch (type) {
        case 0x01: return "dc";
        case 0x04: return "region";
        case 0x05: return "bitmap";
        case 0x08: return "palette";
        case 0x0a: return "font";
        case 0x10: return "brush";
        case 0x21: return "emf";
        case 0x30: return "pen";
        case 0x50: return "extpen";
        default: return nullptr;
    }
}

void print(const wchar_t* name, DWORD pid, const Counts& c) {
    std::printf("process=%ls pid=%lu gdi=%lu gdi_source=%s user_windows=%lu visible_top=%lu", name,
                static_cast<unsigned long>(pid), static_cast<unsigned long>(c.gdi),
                c.gdiFromTable ? "handle_table" : "GetGuiResources", static_cast<unsigned long>(c.windows),
                static_cast<unsigned long>(c.visibleTop));
    if (c.handlesKnown)
        std::printf(" handles=%lu handles_source=%s", static_cast<unsigned long>(c.handles),
                    c.handlesFromList ? "system_list" : "GetProcessHandleCount");
    else std::printf(" handles=?");
    std::printf(" threads=%lu", static_cast<unsigned long>(c.threads));
    if (c.memoryKnown)
        std::printf(" working_set_kb=%lu peak_working_set_kb=%lu private_kb=%lu",
                    static_cast<unsigned long>(c.workingSet / 1024), static_cast<unsigned long>(c.peakWorkingSet / 1024),
                    static_cast<unsigned long>(c.privateBytes / 1024));
    // The types as one field, for finding what a growing count is made of.
    std::printf(" gdi_types=");
    bool first = true;
    for (int t = 1; t < 256; ++t) {
        if (!c.gdiByType[t]) continue;
        const char* n = gdiTypeName(t);
        if (n) std::printf("%s%s:%lu", first ? "" : ",", n, static_cast<unsigned long>(c.gdiByType[t]));
        else std::printf("%s0x%02x:%lu", first ? "" : ",", t, static_cast<unsigned long>(c.gdiByType[t]));
        first = false;
    }
    if (first) std::printf("-");
    std::printf("\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: probe.exe NAME.exe|PID ...\n");
        return 2;
    }
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "probe: no process snapshot (error %lu)\n", GetLastError());
        return 1;
    }
    int missing = 0;
    for (int i = 1; i < argc; ++i) {
        wchar_t* end = nullptr;
        const unsigned long asPid = std::wcstoul(argv[i], &end, 10);
        const bool byPid = end && *end == 0;
        bool found = false;
        PROCESSENTRY32W p{};
        p.dwSize = sizeof p;
        for (BOOL ok = Process32FirstW(snapshot, &p); ok; ok = Process32NextW(snapshot, &p)) {
            if (byPid ? p.th32ProcessID != asPid : _wcsicmp(p.szExeFile, argv[i]) != 0) continue;
            found = true;
            print(p.szExeFile, p.th32ProcessID, probe(p.th32ProcessID, snapshot));
        }
        if (!found) {
            std::printf("process=%ls missing=1\n", argv[i]);
            ++missing;
        }
    }
    CloseHandle(snapshot);
    return missing ? 3 : 0;
}
