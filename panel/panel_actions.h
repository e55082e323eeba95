// The commands behind the panel's shortcuts, its search box and its shutdown menu.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

namespace panel {
void openMyComputer(DesktopServices& d, AppState& s);
void showDesktop(DesktopServices& d, AppState& s);
void openSystemDrive(DesktopServices& d, AppState& s);
void openInstallDrive(DesktopServices& d, AppState& s);
void openDataDrive(DesktopServices& d, AppState& s);
void openControlPanel(DesktopServices& d, AppState& s);
void openCommandPrompt(DesktopServices& d, AppState& s);
void openCloudDrive(DesktopServices& d, AppState& s);
void showShutdownMenu(DesktopServices& d, AppState& s);
void searchBoxGotFocus(DesktopServices& d, AppState& s);
void searchBoxLostFocus(DesktopServices& d, AppState& s);
void webSearch(DesktopServices& d, AppState& s);
void shutdownNow(DesktopServices& d, AppState& s);
void restartNow(DesktopServices& d, AppState& s);
void openTimedShutdown(DesktopServices& d, AppState& s);
// https + host + "/s?wd=" + the GBK query as UTF-8, percent-encoded.
Text searchAddress(const Text& gbkQuery);
}  // namespace panel
