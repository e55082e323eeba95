// PanelWindow's creation, its fade timer and the nearness test that decides
// whether it fades in or out beside the icon.
#include "panel/panel_window.h"

#include <algorithm>

#include "panel/recycle_bin.h"
#include "units/unit.h"

namespace panel {

namespace {

constexpr WindowId kIcon = WindowId::IconWindow;
constexpr WindowId kPanel = WindowId::PanelWindow;
constexpr int kGap = 5;            // between icon and panel
constexpr int kRaise = 104;        // panel top above the icon's top
constexpr int kNearStrip = 40;     // nearness widened towards the icon
constexpr int kFadeInStep = 10, kFadeInLimit = 230;
constexpr int kFadeOutStep = 23, kCloseBelow = 2;

int property(DesktopServices& d, WindowId w, int index) {
    return d.getProperty(win(w), index).asInt();
}

// The panel opens on the side of the icon that faces the middle of the screen; an
// icon exactly in the middle counts as being in the left half.
bool panelLeftOfIcon(DesktopServices& d) {
    return realGreater(property(d, kIcon, prop::kLeft), d.screenWidth() / 2.0);
}

void applyOpacity(DesktopServices& d, int level) {
    d.setWindowOpacity(d.windowHandle(win(kPanel)), level);
}

}  // namespace

void setupPanel(DesktopServices& d, AppState& s) {
    const bool full = recycleBinHasItems(d);
    // The bin query lets queued handlers run; the panel may be gone afterwards.
    if (!d.isLoaded(kPanel)) return;
    d.setProperty(control(kPanel, "垃圾桶_图片框"), prop::kPicture,
                  Value(resource(full ? "bin_full.png" : "bin_empty.png")));
    applyOpacity(d, 1);
    s.panelAlpha = 0;
}

void fadeTick(DesktopServices& d, AppState& s) {
    d.processPendingEvents();
    // A command handled in there may have closed the panel already.
    if (!d.isLoaded(kPanel)) return;
    const int iconLeft = property(d, kIcon, prop::kLeft);
    const int panelLeft = panelLeftOfIcon(d)
                              ? iconLeft - property(d, kPanel, prop::kWidth) - kGap
                              : iconLeft + property(d, kIcon, prop::kWidth) + kGap;
    d.setProperty(win(kPanel), prop::kLeft, panelLeft);
    d.setProperty(win(kPanel), prop::kTop, property(d, kIcon, prop::kTop) - kRaise);

    const bool near = isPointerNearPanel(d, s);
    if (!d.isLoaded(kPanel)) return;
    if (near) {
        if (s.panelAlpha < kFadeInLimit) {
            s.panelAlpha += kFadeInStep;
            applyOpacity(d, s.panelAlpha);
        }
        return;
    }
    if (s.panelAlpha < kCloseBelow) {
        d.destroyWindow(kPanel);
        return;
    }
    s.panelAlpha -= kFadeOutStep;
    // The last step may go below 0: the desktop would take that as fully opaque and
    // flash the panel before it closes, so it is shown fully transparent instead.
    // panelAlpha keeps its value; the close follows on the next tick.
    applyOpacity(d, std::max(s.panelAlpha, 0));
}

bool isPointerNearPanel(DesktopServices& d, AppState&) {
    d.processPendingEvents();
    if (!d.isLoaded(kPanel)) return false;
    const int x = d.pointerX(), y = d.pointerY();
    const int left = property(d, kPanel, prop::kLeft);
    const int right = left + property(d, kPanel, prop::kWidth);
    const int top = property(d, kPanel, prop::kTop);
    const int bottom = top + property(d, kPanel, prop::kHeight);
    if (y < top || y > bottom) return false;
    // The strip towards the icon covers the gap and part of the icon, so the pointer
    // can travel from the icon to the panel without the fade-out starting.
    if (panelLeftOfIcon(d)) return x >= left && x <= right + kNearStrip;
    return x >= left - kNearStrip && x <= right;
}

}  // namespace panel
