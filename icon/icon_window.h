// IconWindow's handlers: set-up, docking to a screen edge, the pointer test that
// raises the icon, opening the panel in its two popup modes, and the context menu.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

namespace icon {
void setupIcon(DesktopServices& d, AppState& s);
bool isPointerOnIcon(DesktopServices& d, AppState& s);
void shrinkTick(DesktopServices& d, AppState& s);
void dockTick(DesktopServices& d, AppState& s);
void openPanelOnClick(DesktopServices& d, AppState& s);
void showIconMenu(DesktopServices& d, AppState& s);
void selectAutoPopup(DesktopServices& d, AppState& s);
void selectClickPopup(DesktopServices& d, AppState& s);
void toggleAutoDock(DesktopServices& d, AppState& s);
void chooseTest(DesktopServices& d, AppState& s);  // 测试: a rest lock at once
void chooseExit(DesktopServices& d, AppState& s);  // 退出
}  // namespace icon
