// The Windows desktop's windows: creation from units, deferred destruction, close
// requests, modal disabling, window properties with their clamps and the not-loaded
// rule, and the topmost band.
#include <algorithm>

#include "platform/win32/desktop.h"
#include "platform/win32/wide.h"

namespace win32 {

namespace {
int clampPosition(int v) { return std::clamp(v, -prop::kCoordinateLimit, prop::kCoordinateLimit); }
int clampSize(int v) { return std::clamp(v, 0, prop::kCoordinateLimit); }
int idx(WindowId w) { return static_cast<int>(w); }

constexpr UINT kZOnly = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;

// The first image of an .ico file as an icon handle.
HICON iconFromIco(const Bytes& ico) {
    if (ico.size() < 22) return nullptr;
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(ico[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(ico[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(ico[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(ico[at + 3])) << 24;
    };
    std::uint32_t size = u32(6 + 8), offset = u32(6 + 12);
    if (offset > ico.size() || size > ico.size() - offset) return nullptr;
    auto* data = reinterpret_cast<PBYTE>(const_cast<char*>(ico.data() + offset));
    return CreateIconFromResourceEx(data, size, TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
}
}  // namespace

LiveWindow* Desktop::live(WindowId w) {
    auto& lw = live_[idx(w)];
    return lw ? &*lw : nullptr;
}

const LiveWindow* Desktop::window(WindowId w) const {
    const auto& lw = live_[idx(w)];
    return lw ? &*lw : nullptr;
}

HWND Desktop::hwndOf(WindowId w) const {
    const LiveWindow* lw = window(w);
    return lw ? lw->hwnd : nullptr;
}

bool Desktop::isLoaded(WindowId w) const { return live_[idx(w)].has_value(); }

std::optional<Desktop::Where> Desktop::find(HWND hwnd) const {
    auto it = handles_.find(hwnd);
    if (it == handles_.end()) return std::nullopt;
    return it->second;
}

bool Desktop::loadWindow(WindowId w, const WindowId* parent, bool modal) {
    if (parent && !isLoaded(*parent)) return false;
    if (LiveWindow* lw = live(w)) {
        if (!lw->pendingDestruction) {
            // Already open: restore or activate, never a second instance.
            if (IsIconic(lw->hwnd))
                ShowWindow(lw->hwnd, SW_RESTORE);
            else
                SetActiveWindow(lw->hwnd);
            return true;
        }
        carryOutDestruction(w);
        if (isLoaded(w)) return true;  // its will-be-destroyed handler loaded it anew
    }
    return createWindow(w, parent, modal);
}

bool Desktop::createWindow(WindowId w, const WindowId* parent, bool modal) {
    const WindowUnit& u = unitFor(w);
    // The unit's pictures are decoded by each load when first shown and go with the
    // window: the lock's 1920 x 1080 wallpaper is 8 MB decoded and shows a quarter of
    // an hour every two hours.
    if (w == WindowId::IconWindow) stored(w).backPicture.setSizeLimit(kIconSizeLimit);
    live_[idx(w)] = stored(w);
    LiveWindow& lw = *live_[idx(w)];
    lw.generation = ++generations_;
    lw.modal = modal;
    if (u.placement == Placement::Centred) {
        lw.left = (screenWidth() - lw.width) / 2;
        lw.top = (screenHeight() - lw.height) / 2;
    }
    DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    if (u.border == Border::FixedWithCaption) style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    if (u.controlBox) style |= WS_SYSMENU;
    if (u.minBox) style |= WS_MINIMIZEBOX;
    if (u.maxBox) style |= WS_MAXIMIZEBOX;
    if (lw.unitDisabled) style |= WS_DISABLED;
    DWORD exStyle = lw.alwaysOnTop ? WS_EX_TOPMOST : 0;  // topmost from creation, not activated
    HWND owner = nullptr;
    if (parent)
        owner = live(*parent)->hwnd;
    else if (!u.showInTaskbar || modal)
        owner = owner_;  // no taskbar button for it
    HWND h = CreateWindowExW(exStyle, kWindowClass, widen(u.caption).c_str(), style, lw.left, lw.top,
                             lw.width, lw.height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!h) {
        live_[idx(w)].reset();
        return false;
    }
    lw.hwnd = h;
    handles_[h] = {w, -1};
    if (u.shape == Shape::RoundedRectangle) {
        int e = roundedCornerSize(lw.width, lw.height);
        SetWindowRgn(h, CreateRoundRectRgn(0, 0, lw.width + 1, lw.height + 1, e, e), FALSE);
    }
    if (u.icon) {
        if (!appIcon_) appIcon_ = iconFromIco(resource(u.icon));
        if (appIcon_) {
            SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
            SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
        }
    }
    createControls(lw);

    const std::uint32_t generation = lw.generation;
    raise(w, EventKind::Created, "");
    LiveWindow* after = live(w);
    if (!after || after->generation != generation) return false;
    if (stored(w).visible) ShowWindow(after->hwnd, SW_SHOW);
    if (modal) {
        for (WindowId other : kAllWindows)
            if (LiveWindow* o = live(other); o && other != w) {
                ++o->modalDisabled;
                setEnabledState(*o);
            }
    }
    return true;
}

void Desktop::destroyWindow(WindowId w) {
    LiveWindow* lw = live(w);
    if (!lw) return misuse(std::string("destroyWindow on ") + windowName(w) + " which is not loaded");
    if (lw->pendingDestruction) return;
    lw->pendingDestruction = true;
    // A window can't go while one of its own handlers is still on the stack: the
    // request waits in the queue behind whatever was posted before it.
    PostMessageW(lw->hwnd, kDestroyRequest, lw->generation, 0);
}

void Desktop::carryOutDestruction(WindowId w) {
    LiveWindow* lw = live(w);
    if (!lw || lw->dying) return;
    const std::uint32_t generation = lw->generation;
    raise(w, EventKind::WillBeDestroyed, "");
    lw = live(w);
    if (!lw || lw->generation != generation || lw->dying) return;
    if (lw->modal)
        for (WindowId other : kAllWindows)
            if (LiveWindow* o = live(other); o && other != w && o->modalDisabled > 0) {
                --o->modalDisabled;
                setEnabledState(*o);
            }
    // NOTE: DestroyWindow sends the focused edit box's kill-focus notification (and
    // more) while it runs; the window is marked dying and forgotten first, so none of
    // its handlers runs on a window that is half gone.
    lw->dying = true;
    for (auto& c : lw->controls)
        if (c.hwnd) handles_.erase(c.hwnd);
    handles_.erase(lw->hwnd);
    DestroyWindow(lw->hwnd);
    releaseControls(*lw);
    live_[idx(w)].reset();
    bool anyLeft = false;
    for (auto& o : live_) anyLeft = anyLeft || o.has_value();
    if (!anyLeft && quitWhenLastWindowGoes) PostQuitMessage(0);
}

void Desktop::requestClose(WindowId w) {
    LiveWindow* lw = live(w);
    if (!lw || lw->dying) return;
    if (!raise(w, EventKind::CanClose, "")) return;
    if (live(w)) carryOutDestruction(w);
}

void Desktop::setEnabledState(LiveWindow& lw) {
    EnableWindow(lw.hwnd, !lw.unitDisabled && lw.modalDisabled == 0);
}

void Desktop::setTopmost(LiveWindow& lw, bool on) {
    const bool wasOn = lw.alwaysOnTop;
    lw.alwaysOnTop = on;
    // NOTE: leaving a band the window is not in has no effect, and the icon writes
    // false 25 times a second while the pointer is elsewhere: skip the system call
    // (under Wine a server round trip each time).
    if (on || wasOn) SetWindowPos(lw.hwnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kZOnly);
    if (on) return;
    // NOTE: a window leaving the band takes its owned windows with it; the lock screen
    // is owned by the icon, so windows without a taskbar button that want to stay on
    // top are put back.
    for (WindowId other : kAllWindows) {
        LiveWindow* o = live(other);
        if (o && o != &lw && o->alwaysOnTop && !unitFor(other).showInTaskbar)
            SetWindowPos(o->hwnd, HWND_TOPMOST, 0, 0, 0, 0, kZOnly);
    }
}

WindowHandle Desktop::windowHandle(const UiTarget& t) {
    LiveWindow* lw = live(t.window);
    if (!lw) return misuse(std::string("handle of unloaded ") + windowName(t.window)), 0;
    if (t.kind == UiTarget::Kind::Control) {
        LiveControl* c = lw->control(t.name);
        return c ? reinterpret_cast<WindowHandle>(c->hwnd) : 0;
    }
    return reinterpret_cast<WindowHandle>(lw->hwnd);
}

// --- properties --------------------------------------------------------------

Value Desktop::getProperty(const UiTarget& t, int index) {
    LiveWindow* lw = live(t.window);
    const bool loaded = lw != nullptr;
    LiveWindow& w = loaded ? *lw : stored(t.window);
    if (t.kind == UiTarget::Kind::MenuItem) {
        LiveMenuItem* m = w.item(t.name);
        if (!m) return misuse("no menu item " + t.name), Value();
        if (auto v = menuItemProperty(*m, index)) return *v;
        return misuse("menu item property " + std::to_string(index)), Value();
    }
    if (t.kind == UiTarget::Kind::Control) {
        LiveControl* c = w.control(t.name);
        if (!c) return misuse("no control " + t.name), Value();
        return getControl(w, *c, index, loaded);
    }
    if (!loaded) {
        switch (index) {
            case prop::kLeft: return Value(w.left);
            case prop::kTop: return Value(w.top);
            case prop::kWidth: return Value(w.width);
            case prop::kHeight: return Value(w.height);
            case prop::kVisible: return Value(w.visible);
        }
        return misuse(std::string("property of unloaded ") + windowName(t.window)), Value();
    }
    RECT r{};
    GetWindowRect(w.hwnd, &r);
    switch (index) {
        case prop::kLeft: return Value(static_cast<int>(r.left));
        case prop::kTop: return Value(static_cast<int>(r.top));
        case prop::kWidth: return Value(static_cast<int>(r.right - r.left));
        case prop::kHeight: return Value(static_cast<int>(r.bottom - r.top));
        case prop::kVisible: return Value(IsWindowVisible(w.hwnd) != FALSE);
        case prop::kBackColour: return Value::colour(w.backColour);
        case prop::kBackPicture: return Value(w.backPicture.bytes());
        case prop::kAlwaysOnTop: return Value(w.alwaysOnTop);
    }
    return misuse("window property " + std::to_string(index)), Value();
}

void Desktop::setProperty(const UiTarget& t, int index, const Value& v) {
    LiveWindow* lw = live(t.window);
    const bool loaded = lw != nullptr;
    LiveWindow& w = loaded ? *lw : stored(t.window);
    if (t.kind == UiTarget::Kind::MenuItem) {
        LiveMenuItem* m = w.item(t.name);
        if (!m) return misuse("no menu item " + t.name);
        if (!setMenuItemProperty(*m, index, v)) misuse("menu item property " + std::to_string(index));
        return;
    }
    if (t.kind == UiTarget::Kind::Control) {
        LiveControl* c = w.control(t.name);
        if (!c) return misuse("no control " + t.name);
        return setControl(w, *c, index, v, loaded);
    }
    if (!loaded) {
        switch (index) {
            case prop::kLeft: w.left = clampPosition(v.asInt()); return;
            case prop::kTop: w.top = clampPosition(v.asInt()); return;
            case prop::kWidth: w.width = clampSize(v.asInt()); return;
            case prop::kHeight: w.height = clampSize(v.asInt()); return;
            case prop::kVisible: w.visible = v.asBool(); return;
        }
        return misuse(std::string("write to unloaded ") + windowName(t.window));
    }
    RECT r{};
    GetWindowRect(w.hwnd, &r);
    constexpr UINT kMove = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    constexpr UINT kSize = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    // NOTE: the icon's docking writes its left edge every 800 ms; a write that moves
    // nothing is not handed to the system (under Wine each one is a dozen server calls).
    const int width = r.right - r.left, height = r.bottom - r.top;
    switch (index) {
        case prop::kLeft:
            if (const int x = clampPosition(v.asInt()); x != r.left)
                SetWindowPos(w.hwnd, nullptr, x, r.top, 0, 0, kMove);
            return;
        case prop::kTop:
            if (const int y = clampPosition(v.asInt()); y != r.top)
                SetWindowPos(w.hwnd, nullptr, r.left, y, 0, 0, kMove);
            return;
        case prop::kWidth:
            if (const int cx = clampSize(v.asInt()); cx != width)
                SetWindowPos(w.hwnd, nullptr, 0, 0, cx, height, kSize);
            return;
        case prop::kHeight:
            if (const int cy = clampSize(v.asInt()); cy != height)
                SetWindowPos(w.hwnd, nullptr, 0, 0, width, cy, kSize);
            return;
        case prop::kVisible:
            w.visible = v.asBool();
            ShowWindow(w.hwnd, w.visible ? SW_SHOW : SW_HIDE);
            return;
        case prop::kBackColour:
            w.backColour = v.asColour();
            InvalidateRect(w.hwnd, nullptr, TRUE);
            return;
        case prop::kBackPicture:
            w.backPicture.set(v.asText());
            InvalidateRect(w.hwnd, nullptr, TRUE);
            return;
        case prop::kAlwaysOnTop: setTopmost(w, v.asBool()); return;
    }
    misuse("window property " + std::to_string(index));
}

void Desktop::redrawWindow(const UiTarget& t) {
    LiveWindow* lw = live(t.window);
    if (!lw) return misuse("redraw of an unloaded window");
    if (t.kind == UiTarget::Kind::Control) {
        LiveControl* c = lw->control(t.name);
        if (!c) return misuse("redraw of unknown control " + t.name);
        if (c->hwnd) {
            InvalidateRect(c->hwnd, nullptr, TRUE);
        } else {
            RECT r = controlRect(*lw, *c);
            InvalidateRect(lw->hwnd, &r, TRUE);
        }
        return;
    }
    // The transparent labels are drawn as part of their window's own paint, so the
    // whole client area covers them as well.
    InvalidateRect(lw->hwnd, nullptr, TRUE);
}

}  // namespace win32
