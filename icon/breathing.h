// The icon's breathing: every tick re-cuts the shape from the picture shown and
// loads the next frame of the theme, ping-ponging between frame 1 and the last.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

namespace icon {
void breathTick(DesktopServices& d, AppState& s);
void selectBlackTheme(DesktopServices& d, AppState& s);
void selectBlueTheme(DesktopServices& d, AppState& s);
// runDirectory + "\" + theme + "\" + theme + n + ".png"
Text framePath(const Text& runDirectory, const Text& theme, int frame);
}  // namespace icon
