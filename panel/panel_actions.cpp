// Placeholder bodies until these handlers are written; they do nothing yet.
#include "panel/panel_actions.h"

namespace panel {
void openMyComputer(DesktopServices& , AppState& ) {}
void showDesktop(DesktopServices& , AppState& ) {}
void openSystemDrive(DesktopServices& , AppState& ) {}
void openInstallDrive(DesktopServices& , AppState& ) {}
void openDataDrive(DesktopServices& , AppState& ) {}
void openControlPanel(DesktopServices& , AppState& ) {}
void openCommandPrompt(DesktopServices& , AppState& ) {}
void openCloudDrive(DesktopServices& , AppState& ) {}
void showShutdownMenu(DesktopServices& , AppState& ) {}
void searchBoxGotFocus(DesktopServices& , AppState& ) {}
void searchBoxLostFocus(DesktopServices& , AppState& ) {}
void webSearch(DesktopServices& , AppState& ) {}
void shutdownNow(DesktopServices& , AppState& ) {}
void restartNow(DesktopServices& , AppState& ) {}
void openTimedShutdown(DesktopServices& , AppState& ) {}
Text searchAddress(const Text& ) { return {}; }
}  // namespace panel
