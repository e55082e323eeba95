// The recycle-bin picture of the panel: whether any drive's bin holds items, and
// emptying all of them from the picture's right-click menu.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

namespace panel {
bool recycleBinHasItems(DesktopServices& d);
void showBinMenu(DesktopServices& d, AppState& s);
void emptyRecycleBin(DesktopServices& d, AppState& s);
}  // namespace panel
