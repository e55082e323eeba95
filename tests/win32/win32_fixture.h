// Shared set-up for the Win32 desktop's own tests: a desktop whose windows' handlers
// are replaced (only the desktop's rules act), and waiting on real messages with a
// deadline instead of sleeping.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/win32/desktop.h"

namespace win32test {

inline constexpr WindowId kIcon = WindowId::IconWindow;
inline constexpr WindowId kPanel = WindowId::PanelWindow;
inline constexpr WindowId kLock = WindowId::LockWindow;
inline constexpr WindowId kShutdown = WindowId::ShutdownWindow;

inline bool ignore(win32::Desktop&, const EventArgs&) { return true; }

struct Win32Desktop : ::testing::Test {
    win32::Desktop desk;
    AppState state;
    std::vector<std::string> seen;

    Win32Desktop() {
        desk.quitWhenLastWindowGoes = false;  // keeps WM_QUIT out of the test's queue
        desk.attachState(state);
        for (WindowId w : kAllWindows) {
            desk.overrideHandler(w, EventKind::Created, "", ignore);
            desk.overrideHandler(w, EventKind::WillBeDestroyed, "", [this, w](win32::Desktop&, const EventArgs&) {
                seen.push_back(std::string("destroyed ") + windowName(w));
                return true;
            });
            for (const auto& c : unitFor(w).controls)
                if (c.kind == ControlKind::Timer) desk.overrideHandler(w, EventKind::Tick, c.name, ignore);
        }
    }
    ~Win32Desktop() override { EXPECT_TRUE(desk.misuses.empty()) << desk.misuses.front(); }

    HWND hwnd(WindowId w) { return desk.hwndOf(w); }
    HWND hwnd(WindowId w, const char* controlName) {
        return reinterpret_cast<HWND>(desk.windowHandle(control(w, controlName)));
    }

    // Processes messages as the loop would until the condition holds or the deadline
    // passes; waits for the next message in between, never a fixed sleep.
    template <class Condition>
    bool pumpUntil(Condition done, DWORD deadlineMs = 5000) {
        const DWORD start = GetTickCount();
        for (;;) {
            desk.processPendingEvents();
            if (done()) return true;
            const DWORD spent = GetTickCount() - start;
            if (spent >= deadlineMs) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(20, deadlineMs - spent),
                                      QS_ALLINPUT);
        }
    }
    // Keeps the loop running for a while (ticks and paints happen meanwhile).
    void pumpFor(DWORD ms) {
        pumpUntil([] { return false; }, ms);
    }
};

// An RGBA picture (0xAARRGGBB pixels, top-down) as PNG bytes.
inline Bytes pngOf(int width, int height, const std::vector<std::uint32_t>& argb) {
    std::vector<unsigned char> rgba;
    for (std::uint32_t p : argb) {
        rgba.push_back(static_cast<unsigned char>(p >> 16));
        rgba.push_back(static_cast<unsigned char>(p >> 8));
        rgba.push_back(static_cast<unsigned char>(p));
        rgba.push_back(static_cast<unsigned char>(p >> 24));
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    Bytes out(size, '\0');
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) return {};
    out.resize(size);
    return out;
}

}  // namespace win32test
