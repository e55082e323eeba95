// PanelWindow's creation, its fade timer and the nearness test that decides
// whether it fades in or out beside the icon.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

namespace panel {
void setupPanel(DesktopServices& d, AppState& s);
void fadeTick(DesktopServices& d, AppState& s);
bool isPointerNearPanel(DesktopServices& d, AppState& s);
}  // namespace panel
