// Placeholder bodies until these handlers are written; they do nothing yet.
#include "icon/icon_window.h"

namespace icon {
void setupIcon(DesktopServices& , AppState& ) {}
bool isPointerOnIcon(DesktopServices& , AppState& ) { return false; }
void shrinkTick(DesktopServices& , AppState& ) {}
void dockTick(DesktopServices& , AppState& ) {}
void openPanelOnClick(DesktopServices& , AppState& ) {}
void showIconMenu(DesktopServices& , AppState& ) {}
void selectAutoPopup(DesktopServices& , AppState& ) {}
void selectClickPopup(DesktopServices& , AppState& ) {}
void toggleAutoDock(DesktopServices& , AppState& ) {}
void chooseTest(DesktopServices& , AppState& ) {}
void chooseExit(DesktopServices& , AppState& ) {}
}  // namespace icon
