// The Windows desktop's pop-up menus: built from a window's menu items below a root
// at the moment they pop up, tracked at the pointer, and the chosen item's command
// coming back through the message loop.
#include "platform/win32/desktop.h"
#include "platform/win32/wide.h"

namespace win32 {

namespace {
constexpr int kMaxDepth = 8;
}

void Desktop::popupMenu(WindowId owner, const Text& rootItem) {
    LiveWindow* lw = live(owner);
    if (!lw) return misuse("popupMenu on an unloaded window");
    const std::vector<LiveMenuItem>& items = lw->menu;
    const int n = static_cast<int>(items.size());
    int root = -1;
    for (int i = 0; i < n && root < 0; ++i)
        if (items[i].id == rootItem) root = i;
    if (root < 0) return misuse("no menu root " + rootItem);

    HMENU top = CreatePopupMenu();
    HMENU into[kMaxDepth] = {top};
    const int rootLevel = items[root].level;
    for (int i = root + 1; i < n && items[i].level > rootLevel; ++i) {
        const LiveMenuItem& m = items[i];
        const int depth = m.level - rootLevel - 1;
        if (depth < 0 || depth >= kMaxDepth - 1 || !into[depth]) continue;
        const bool hasItems = i + 1 < n && items[i + 1].level > m.level;
        if (m.hidden) {  // left out together with its own items
            while (i + 1 < n && items[i + 1].level > m.level) ++i;
            continue;
        }
        if (m.caption == "-") {
            AppendMenuW(into[depth], MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = (m.checked ? MF_CHECKED : 0) | (m.disabled ? MF_GRAYED : 0);
        const std::wstring caption = widen(m.caption);
        if (hasItems) {
            HMENU sub = CreatePopupMenu();
            AppendMenuW(into[depth], MF_POPUP | flags, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
            into[depth + 1] = sub;
        } else {
            AppendMenuW(into[depth], MF_STRING | flags, static_cast<UINT_PTR>(kFirstMenuCommand + i),
                        caption.c_str());
        }
    }
    POINT p{};
    GetCursorPos(&p);
    // NOTE: the window is not brought to the foreground first; the chosen command is
    // posted to it and runs after the current handler has returned. The window may be
    // gone when the menu returns, so nothing of it is touched afterwards.
    HWND hwnd = lw->hwnd;
    TrackPopupMenu(top, TPM_RIGHTBUTTON, p.x + 3, p.y + 3, 0, hwnd, nullptr);
    DestroyMenu(top);  // its sub-menus go with it
}

void Desktop::menuChosen(LiveWindow& lw, int position) {
    if (position < 0 || position >= static_cast<int>(lw.menu.size())) return;
    const LiveMenuItem& m = lw.menu[position];
    if (m.hidden || m.disabled || m.caption == "-") return;
    const WindowId w = lw.id;
    const std::string id = m.id;
    raise(w, EventKind::MenuChosen, id);
}

}  // namespace win32
