// The Windows desktop's events: input raised from the message loop before dispatch
// (keys, button releases, Esc as a close key, drag-anywhere moves), and the window
// procedures' events (ticks, focus changes, close requests, deferred destruction).
#include <windowsx.h>

#include <utility>

#include "platform/win32/desktop.h"

namespace win32 {

namespace {
// Posted to a window whose modal box must come back on top; wParam 1: and be active.
constexpr UINT kRaiseModalBox = WM_APP + 2;

BOOL CALLBACK findOwnedBox(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<std::pair<HWND, HWND>*>(p);
    if (GetWindow(h, GW_OWNER) != s->first || !IsWindowVisible(h) || !IsWindowEnabled(h)) return TRUE;
    s->second = h;
    return FALSE;
}

// The enabled, visible box a disabled window waits on, or nullptr. Not
// GetLastActivePopup: a box that never got activated is not known there.
HWND modalBoxOf(HWND owner) {
    if (IsWindowEnabled(owner)) return nullptr;
    std::pair<HWND, HWND> search{owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), findOwnedBox, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

EventArgs modifiers(EventArgs a) {
    a.ctrl = GetKeyState(VK_CONTROL) < 0;
    a.shift = GetKeyState(VK_SHIFT) < 0;
    a.alt = GetKeyState(VK_MENU) < 0;
    return a;
}
}  // namespace

bool Desktop::beforeDispatch(MSG& msg) {
    const UINT m = msg.message;
    if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_LBUTTONUP && m != WM_RBUTTONUP) return false;
    auto where = find(msg.hwnd);
    if (!where) return false;
    LiveWindow* lw = live(where->window);
    if (!lw || lw->dying) return false;
    const WindowId w = lw->id;
    const std::string source = where->control >= 0 ? lw->controls[where->control].name : "";
    if (m == WM_LBUTTONUP || m == WM_RBUTTONUP) {
        EventArgs a = modifiers({.x = GET_X_LPARAM(msg.lParam), .y = GET_Y_LPARAM(msg.lParam)});
        raise(w, m == WM_LBUTTONUP ? EventKind::LeftUp : EventKind::RightUp, source, a);
        return false;
    }
    // Keyboard messages addressed to a disabled window raise nothing.
    if (!IsWindowEnabled(lw->hwnd)) return false;
    EventArgs a = modifiers({.key = static_cast<int>(msg.wParam)});
    if (!raise(w, EventKind::KeyDown, source, a)) return true;  // the handler swallowed it
    if (msg.wParam == VK_ESCAPE && unitFor(w).escCloses && isLoaded(w)) {
        requestClose(w);
        return true;
    }
    return false;
}

void Desktop::afterDispatch(const MSG& msg) {
    if (msg.message != WM_LBUTTONDOWN) return;
    auto where = find(msg.hwnd);
    if (!where || where->control >= 0 || !unitFor(where->window).dragAnywhere) return;
    LiveWindow* lw = live(where->window);
    if (!lw || lw->dying) return;
    // A plain press moves the window as a press on a caption would: the system's move
    // follows the pointer and takes up the release, so no release event is raised. The
    // second press of a double click comes as WM_LBUTTONDBLCLK and starts no move.
    ReleaseCapture();
    PostMessageW(lw->hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(msg.pt.x, msg.pt.y));
}

LRESULT Desktop::windowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto where = find(hwnd);
    LiveWindow* lw = where ? live(where->window) : nullptr;
    if (!lw || where->control >= 0) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // the paint draws everything, double-buffered
        case WM_PAINT:
            paintWindow(*lw);
            return 0;
        case WM_SIZE:
            InvalidateRect(hwnd, nullptr, FALSE);
            break;
        case WM_CTLCOLOREDIT: {
            auto box = find(reinterpret_cast<HWND>(lp));
            if (!box || box->control < 0 || box->window != lw->id) break;
            LiveControl& c = lw->controls[box->control];
            HDC dc = reinterpret_cast<HDC>(wp);
            SetTextColor(dc, resolveColour(c.textColour));
            SetBkColor(dc, resolveColour(c.backColour));
            if (c.backBrush) return reinterpret_cast<LRESULT>(c.backBrush);
            break;
        }
        case WM_COMMAND: {
            if (lp != 0) {
                auto box = find(reinterpret_cast<HWND>(lp));
                if (!box || box->control < 0 || lw->dying) return 0;
                const WindowId w = lw->id;
                const std::string name = lw->controls[box->control].name;
                if (HIWORD(wp) == EN_SETFOCUS) raise(w, EventKind::GotFocus, name);
                if (HIWORD(wp) == EN_KILLFOCUS) raise(w, EventKind::LostFocus, name);
                return 0;
            }
            if (LOWORD(wp) >= kFirstMenuCommand) menuChosen(*lw, LOWORD(wp) - kFirstMenuCommand);
            return 0;
        }
        case WM_CLOSE:  // close box, Alt+F4
            requestClose(lw->id);
            return 0;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_MOVE && !unitFor(lw->id).movable) return 0;
            break;
        case WM_DISPLAYCHANGE:
            renderedKeys_.clear();  // the colour depth may have changed
            break;
        case WM_WINDOWPOSCHANGING:
            // NOTE: Wine lets a window that raises itself (the lock screen, every 80 ms)
            // climb over its own modal box and activates it though it is disabled, so
            // the box is buried and typing and clicks in it go nowhere. Windows keeps
            // owned windows above their owner and never hands the keyboard to a
            // disabled window: the raise here activates nothing, and the box is put
            // back on top once it is done.
            if (modalBoxOf(hwnd)) reinterpret_cast<WINDOWPOS*>(lp)->flags |= SWP_NOACTIVATE;
            break;
        case WM_WINDOWPOSCHANGED:
        case WM_ACTIVATE:
            if (modalBoxOf(hwnd))
                PostMessageW(hwnd, kRaiseModalBox, msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE, 0);
            break;
        case kRaiseModalBox:
            if (HWND box = modalBoxOf(hwnd)) {
                const bool topmost = GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST;
                SetWindowPos(box, topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | (wp ? 0 : SWP_NOACTIVATE));
            }
            return 0;
        case kDestroyRequest:
            if (lw->generation == static_cast<std::uint32_t>(wp) && lw->pendingDestruction)
                carryOutDestruction(lw->id);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Desktop::controlMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto where = find(hwnd);
    LiveWindow* lw = where ? live(where->window) : nullptr;
    if (!lw || where->control < 0) return DefWindowProcW(hwnd, msg, wp, lp);
    LiveControl& c = lw->controls[where->control];
    switch (msg) {
        case WM_TIMER:
            if (wp == kTimerId && c.kind == ControlKind::Timer && c.period > 0) {
                const WindowId w = lw->id;
                const std::string name = c.name;
                raise(w, EventKind::Tick, name);
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            paintControl(*lw, c);
            return 0;
        case WM_SETCURSOR:
            if (c.unit->handCursor) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Desktop::setTimerPeriod(LiveControl& c, int period) {
    if (period < 0) period = 0;
    if (period == c.period) return;  // the same value keeps the phase
    if (c.period > 0) KillTimer(c.hwnd, kTimerId);
    c.period = period;
    // The first tick comes one full period after the write.
    if (period > 0) SetTimer(c.hwnd, kTimerId, static_cast<UINT>(period), nullptr);
}

}  // namespace win32
