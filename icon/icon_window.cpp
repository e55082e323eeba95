// IconWindow's handlers: set-up, docking to a screen edge, the pointer test that
// raises the icon, opening the panel in its two popup modes, and the context menu.
#include "icon/icon_window.h"

#include "icon/breathing.h"
#include "restlock/rest_check.h"

namespace icon {

namespace {

constexpr WindowId kIcon = WindowId::IconWindow;
constexpr WindowId kPanel = WindowId::PanelWindow;
constexpr int kIconSize = 42;

int iconProperty(DesktopServices& d, int index) { return d.getProperty(win(kIcon), index).asInt(); }

void setChecked(DesktopServices& d, const char* item, bool on) {
    d.setProperty(menuItem(kIcon, item), prop::kItemChecked, on);
}

void openPanel(DesktopServices& d) {
    const WindowId parent = kIcon;
    d.loadWindow(kPanel, &parent);
}

}  // namespace

void setupIcon(DesktopServices& d, AppState& s) {
    d.setProperty(win(kIcon), prop::kBackColour, Value::colour(kDefaultColour));
    s.autoPopup = 1;
    s.menuShown = 0;
    d.setProperty(win(kIcon), prop::kWidth, kIconSize);
    d.setProperty(win(kIcon), prop::kHeight, kIconSize);
    d.seedRandom();
    selectAutoPopup(d, s);
    selectBlackTheme(d, s);
    s.restBaseHour = hourOf(d.currentTime());
}

bool isPointerOnIcon(DesktopServices& d, AppState& s) {
    // Queued handlers (menu commands among them) run first, so menuShown is current.
    d.processPendingEvents();
    const int x = d.pointerX(), y = d.pointerY();
    const int left = iconProperty(d, prop::kLeft), width = iconProperty(d, prop::kWidth);
    const int top = iconProperty(d, prop::kTop), height = iconProperty(d, prop::kHeight);
    // right/bottom are one past the last column/row and still count as on the icon,
    // which gives the pointer a one-pixel margin on those sides.
    const int right = left + width, bottom = top + height;
    if (x < left || x > right) {
        d.setProperty(win(kIcon), prop::kAlwaysOnTop, false);
        return false;
    }
    if (y < top || y > bottom) return false;  // above or below: topmost left as it is
    // While a context menu has been popped up since the last command, the icon stays
    // out of the topmost band so it never covers the menu.
    d.setProperty(win(kIcon), prop::kAlwaysOnTop, s.menuShown != 1);
    return true;
}

void shrinkTick(DesktopServices& d, AppState& s) { isPointerOnIcon(d, s); }

void dockTick(DesktopServices& d, AppState& s) {
    d.processPendingEvents();
    const int screen = d.screenWidth();
    const int width = iconProperty(d, prop::kWidth);
    if (d.getProperty(menuItem(kIcon, "自动贴边"), prop::kItemChecked).asBool()) {
        // Half an odd screen width ends in .5, so the middle column is never a tie.
        const int left = iconProperty(d, prop::kLeft);
        d.setProperty(win(kIcon), prop::kLeft, realLess(left, screen / 2.0) ? 0 : screen - width);
    }
    if (s.autoPopup == 1 && isPointerOnIcon(d, s)) openPanel(d);
}

void openPanelOnClick(DesktopServices& d, AppState& s) {
    // Only the release after a double-click gets here: a plain press starts the move.
    if (s.autoPopup != 0) return;
    d.setProperty(win(kPanel), prop::kVisible, true);
    openPanel(d);
}

void showIconMenu(DesktopServices& d, AppState& s) {
    s.menuShown = 1;
    d.popupMenu(kIcon, "菜单");
}

void selectAutoPopup(DesktopServices& d, AppState& s) {
    s.autoPopup = 1;
    s.menuShown = 0;
    setChecked(d, "自动弹出", true);
    setChecked(d, "双击弹出", false);
}

void selectClickPopup(DesktopServices& d, AppState& s) {
    s.autoPopup = 0;
    s.menuShown = 0;
    setChecked(d, "自动弹出", false);
    setChecked(d, "双击弹出", true);
}

void toggleAutoDock(DesktopServices& d, AppState& s) {
    // The check mark is the docking setting itself; dockTick reads it on every tick.
    const bool on = d.getProperty(menuItem(kIcon, "自动贴边"), prop::kItemChecked).asBool();
    setChecked(d, "自动贴边", !on);
    s.menuShown = 0;
}

void chooseTest(DesktopServices& d, AppState& s) { restlock::startRestLock(d, s); }

void chooseExit(DesktopServices& d, AppState&) { d.endProgram(0); }

}  // namespace icon
