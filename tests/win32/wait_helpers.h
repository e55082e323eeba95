// Small helpers for the Windows tests: polling with a deadline, a helper thread that
// acts on a modal window while the test thread sits in it, temporary files.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testwin {

// Polls until pred() holds or the deadline passes, pumping this thread's messages.
inline bool waitUntil(const std::function<bool()>& pred, DWORD ms = 5000) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start > ms) return false;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(10);
    }
}

// Runs work on a thread of its own; join() waits for it (bounded).
class Helper {
public:
    explicit Helper(std::function<void()> work) : work_(std::move(work)) {
        thread_ = CreateThread(nullptr, 0, &Helper::run, this, 0, nullptr);
    }
    ~Helper() { join(); }
    bool join(DWORD ms = 20000) {
        if (!thread_) return true;
        bool ended = WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0;
        if (ended) {
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        return ended;
    }

private:
    static DWORD WINAPI run(void* self) {
        static_cast<Helper*>(self)->work_();
        return 0;
    }
    std::function<void()> work_;
    HANDLE thread_ = nullptr;
};

struct WindowSearch {
    std::wstring title;
    HWND found = nullptr;
};

inline BOOL CALLBACK matchTitle(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<WindowSearch*>(lp);
    wchar_t buf[256] = {};
    GetWindowTextW(h, buf, 256);
    if (IsWindowVisible(h) && s->title == buf) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the given thread whose caption is exactly `title`.
inline HWND findThreadWindow(DWORD threadId, const std::wstring& title, DWORD ms = 8000) {
    WindowSearch s{title, nullptr};
    waitUntil(
        [&] {
            EnumThreadWindows(threadId, matchTitle, reinterpret_cast<LPARAM>(&s));
            return s.found != nullptr;
        },
        ms);
    return s.found;
}

inline std::wstring tempDir() {
    wchar_t buf[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, buf);
    return buf;
}

inline bool writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(f);
    return ok;
}

inline bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace testwin
