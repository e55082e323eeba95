// The icon's breathing: every tick re-cuts the shape from the picture shown and
// loads the next frame of the theme, ping-ponging between frame 1 and the last.
#include "icon/breathing.h"

namespace icon {

namespace {

constexpr WindowId kIcon = WindowId::IconWindow;
constexpr int kBlackFrames = 20, kBlueFrames = 18;

void loadFrame(DesktopServices& d, AppState& s) {
    const Bytes picture = d.readFile(framePath(d.runDirectory(), s.iconTheme, s.iconFrame));
    // A missing frame gives empty bytes: the icon shows only its background for a tick.
    d.setProperty(win(kIcon), prop::kBackPicture, Value(picture));
}

void selectTheme(DesktopServices& d, AppState& s, const char* chosen, const char* other,
                 int frames) {
    s.menuShown = 0;
    s.iconTheme = d.getProperty(menuItem(kIcon, chosen), prop::kItemCaption).asText();
    s.iconFrameCount = frames;
    d.setProperty(menuItem(kIcon, chosen), prop::kItemChecked, true);
    d.setProperty(menuItem(kIcon, other), prop::kItemChecked, false);
}

}  // namespace

void breathTick(DesktopServices& d, AppState& s) {
    d.processPendingEvents();
    // The shape comes from the picture loaded on the previous tick: the new frame is
    // read only afterwards. Black (the key colour's RGB) and transparency are cut away.
    const Bytes shown = d.getProperty(win(kIcon), prop::kBackPicture).asText();
    d.setWindowShape(kIcon, shown, kDefaultColour);
    d.redrawWindow(win(kIcon));
    if (s.breathRising == 1) {
        if (s.iconFrame >= s.iconFrameCount) {
            s.breathRising = 0;  // the turning tick loads nothing
            return;
        }
        ++s.iconFrame;
    } else {
        if (s.iconFrame < 2) {
            s.breathRising = 1;
            return;
        }
        --s.iconFrame;
    }
    loadFrame(d, s);
}

void selectBlackTheme(DesktopServices& d, AppState& s) {
    selectTheme(d, s, "黑图标", "蓝图标", kBlackFrames);
}

void selectBlueTheme(DesktopServices& d, AppState& s) {
    selectTheme(d, s, "蓝图标", "黑图标", kBlueFrames);
}

Text framePath(const Text& runDirectory, const Text& theme, int frame) {
    return joinTexts({runDirectory, "\\", theme, "\\", theme, toText(frame), ".png"});
}

}  // namespace icon
