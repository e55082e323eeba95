// The Windows desktop's controls: creating them from their units (edit boxes, labels,
// picture boxes, timers; transparent labels are drawn by their window), their
// properties, fonts, and the edit boxes' input modes.
#include <algorithm>
#include <climits>

#include "platform/win32/desktop.h"
#include "platform/win32/wide.h"

namespace win32 {

namespace {

int clampPosition(int v) { return std::clamp(v, -prop::kCoordinateLimit, prop::kCoordinateLimit); }
int clampSize(int v) { return std::clamp(v, 0, prop::kCoordinateLimit); }

WNDPROC gEditClassProc = nullptr;  // the system edit control's own procedure

LRESULT CALLBACK editProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    Desktop* d = Desktop::current();
    if (d) return d->editMessage(h, m, wp, lp);
    return CallWindowProcW(gEditClassProc, h, m, wp, lp);
}

std::wstring textOf(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring t(static_cast<std::size_t>(n) + 1, L'\0');
    n = GetWindowTextW(h, t.data(), n + 1);
    t.resize(static_cast<std::size_t>(std::max(n, 0)));
    return t;
}

// The short-integer rewrite: the leading integer, limited to a 16-bit value; zero, a
// lone minus sign or no digits at all leave the box empty.
std::wstring shortIntegerText(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = std::min(value * 10 + (text[i] - L'0'), 1LL << 20);
    if (negative) value = -value;
    value = std::clamp(value, -32768LL, 32767LL);
    return value == 0 ? std::wstring() : std::to_wstring(value);
}

}  // namespace

HFONT Desktop::fontFor(LiveWindow& lw, const Font& f) {
    if (!f.face) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    std::string key = std::string(f.face) + '|' + std::to_string(f.height) + '|' +
                      std::to_string(f.weight) + '|' + std::to_string(f.charset);
    auto it = lw.fonts.find(key);
    if (it != lw.fonts.end()) return it->second;
    HFONT font = CreateFontW(f.height, 0, 0, 0, f.weight, FALSE, FALSE, FALSE,
                             static_cast<DWORD>(f.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, widen(f.face).c_str());
    lw.fonts[key] = font;
    return font;
}

void Desktop::createControls(LiveWindow& lw) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < lw.controls.size(); ++i) {
        LiveControl& c = lw.controls[i];
        const DWORD shown = c.visible ? WS_VISIBLE : 0;
        HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i));
        switch (c.kind) {
            case ControlKind::Timer:
                c.hwnd = CreateWindowExW(0, kTimerClass, L"", WS_CHILD, c.left, c.top, c.width,
                                         c.height, lw.hwnd, id, instance, nullptr);
                if (c.hwnd && c.period > 0) SetTimer(c.hwnd, kTimerId, static_cast<UINT>(c.period), nullptr);
                break;
            case ControlKind::EditBox: {
                DWORD align = c.unit->align == Align::Centre  ? ES_CENTER
                              : c.unit->align == Align::Right ? ES_RIGHT
                                                              : ES_LEFT;
                c.hwnd = CreateWindowExW(0, L"EDIT", widen(c.unit->text).c_str(),
                                         WS_CHILD | ES_AUTOHSCROLL | align | shown, c.left, c.top,
                                         c.width, c.height, lw.hwnd, id, instance, nullptr);
                if (!c.hwnd) break;
                SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(lw, c.unit->font)), FALSE);
                SendMessageW(c.hwnd, EM_LIMITTEXT, 0, 0);
                c.backBrush = CreateSolidBrush(resolveColour(c.backColour));
                auto previous = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrW(c.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc)));
                if (!gEditClassProc) gEditClassProc = previous;
                break;
            }
            case ControlKind::Label:
            case ControlKind::PictureBox:
                c.hwnd = CreateWindowExW(0, kControlClass, L"", WS_CHILD | shown, c.left, c.top,
                                         c.width, c.height, lw.hwnd, id, instance, nullptr);
                break;
            case ControlKind::TransparentLabel:
                break;  // drawn by its window over whatever the window shows
        }
        if (c.hwnd) handles_[c.hwnd] = {lw.id, static_cast<int>(i)};
    }
}

void Desktop::releaseControls(LiveWindow& lw) {
    for (auto& c : lw.controls) {
        if (c.backBrush) DeleteObject(c.backBrush);
        c.backBrush = nullptr;
        c.picture.dropBitmap();
        c.hwnd = nullptr;
    }
    lw.backPicture.dropBitmap();
    // Their edit boxes are gone by now, or the program is ending.
    for (auto& [key, font] : lw.fonts) DeleteObject(font);
    lw.fonts.clear();
}

RECT Desktop::controlRect(const LiveWindow& w, const LiveControl& c) const {
    RECT r{c.left, c.top, c.left + c.width, c.top + c.height};
    if (c.hwnd) {
        GetWindowRect(c.hwnd, &r);
        MapWindowPoints(nullptr, w.hwnd, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

Value Desktop::getControl(LiveWindow& w, LiveControl& c, int index, bool loaded) {
    if (index >= prop::kLeft && index <= prop::kHeight) {
        RECT r = loaded ? controlRect(w, c) : RECT{c.left, c.top, c.left + c.width, c.top + c.height};
        const int values[] = {static_cast<int>(r.left), static_cast<int>(r.top),
                              static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)};
        return Value(values[index]);
    }
    if (index == prop::kVisible) {
        if (!loaded) return Value(c.visible);
        if (c.hwnd) return Value(IsWindowVisible(c.hwnd) != FALSE);
        return Value(c.visible && IsWindowVisible(w.hwnd) != FALSE);
    }
    if (!loaded) return misuse("property of a control of an unloaded window"), Value();
    if (c.kind == ControlKind::Timer && index == prop::kPeriod) return Value(c.period);
    if (c.kind == ControlKind::EditBox && index == prop::kText) return Value(narrow(textOf(c.hwnd)));
    if (c.kind == ControlKind::EditBox && index == prop::kTextColour) return Value::colour(c.textColour);
    if ((c.kind == ControlKind::Label || c.kind == ControlKind::TransparentLabel) &&
        index == prop::kCaption)
        return Value(c.text);
    if (c.kind == ControlKind::PictureBox && index == prop::kPicture) return Value(c.picture.bytes());
    return misuse("control property " + std::to_string(index) + " of " + c.name), Value();
}

void Desktop::setControl(LiveWindow& w, LiveControl& c, int index, const Value& v, bool loaded) {
    if (index >= prop::kLeft && index <= prop::kHeight) {
        RECT before = loaded ? controlRect(w, c) : RECT{};
        if (loaded && c.hwnd)  // the control's real place, which the system may have changed
            c.left = before.left, c.top = before.top, c.width = before.right - before.left,
            c.height = before.bottom - before.top;
        int* fields[] = {&c.left, &c.top, &c.width, &c.height};
        *fields[index] = index < prop::kWidth ? clampPosition(v.asInt()) : clampSize(v.asInt());
        if (!loaded) return;
        if (c.hwnd) {
            SetWindowPos(c.hwnd, nullptr, c.left, c.top, c.width, c.height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            RECT after = controlRect(w, c);
            InvalidateRect(w.hwnd, &before, TRUE);
            InvalidateRect(w.hwnd, &after, TRUE);
        }
        return;
    }
    if (index == prop::kVisible) {
        c.visible = v.asBool();
        if (!loaded) return;
        if (c.kind == ControlKind::Timer) return;  // timers are never shown
        if (c.hwnd) {
            ShowWindow(c.hwnd, c.visible ? SW_SHOW : SW_HIDE);
        } else {
            RECT r = controlRect(w, c);
            InvalidateRect(w.hwnd, &r, TRUE);
        }
        return;
    }
    if (!loaded) return misuse("write to a control of an unloaded window: " + c.name);
    if (c.kind == ControlKind::Timer && index == prop::kPeriod) return setTimerPeriod(c, v.asInt());
    if (c.kind == ControlKind::EditBox && index == prop::kText) {
        SetWindowTextW(c.hwnd, widen(v.asText()).c_str());  // raises the change notification
        return;
    }
    if (c.kind == ControlKind::EditBox && index == prop::kTextColour) {
        c.textColour = v.asColour();
        InvalidateRect(c.hwnd, nullptr, TRUE);
        return;
    }
    if (c.kind == ControlKind::Label && index == prop::kCaption) {
        c.text = v.asText();
        InvalidateRect(c.hwnd, nullptr, TRUE);
        return;
    }
    if (c.kind == ControlKind::TransparentLabel && index == prop::kCaption) {
        if (c.text == v.asText()) return;
        c.text = v.asText();
        // The window repaints the area behind the label first, then the new text.
        RECT r = controlRect(w, c);
        InvalidateRect(w.hwnd, &r, TRUE);
        return;
    }
    if (c.kind == ControlKind::PictureBox && index == prop::kPicture) {
        c.picture.set(v.asText());
        InvalidateRect(c.hwnd, nullptr, TRUE);
        return;
    }
    misuse("control property " + std::to_string(index) + " of " + c.name);
}

LRESULT Desktop::editMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto where = find(hwnd);
    LiveWindow* lw = where ? live(where->window) : nullptr;
    LiveControl* c = lw && where->control >= 0 ? &lw->controls[where->control] : nullptr;
    const InputMode mode = c ? c->unit->inputMode : InputMode::Normal;
    if (msg == WM_CHAR && mode != InputMode::Normal) {
        const wchar_t ch = static_cast<wchar_t>(wp);
        // Control characters (Enter, Backspace, Tab) always pass.
        if (ch >= 32 && ch != L'-' && !(ch >= L'0' && ch <= L'9')) return 0;
    }
    if (msg == WM_KILLFOCUS && mode == InputMode::ShortInteger) {
        std::wstring before = textOf(hwnd);
        std::wstring after = shortIntegerText(before);
        if (after != before) SetWindowTextW(hwnd, after.c_str());
    }
    return CallWindowProcW(gEditClassProc, hwnd, msg, wp, lp);
}

}  // namespace win32
