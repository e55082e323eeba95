// LockWindow's handlers: full-screen set-up, the countdown and clock, wallpapers,
// music, staying on top, the emergency unlock, and bringing the icon back.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

namespace restlock {
void setupLock(DesktopServices& d, AppState& s);
void lockTick(DesktopServices& d, AppState& s);
void raiseLockWindow(DesktopServices& d, AppState& s);
void lockLeftClick(DesktopServices& d, AppState& s);
void lockRightClick(DesktopServices& d, AppState& s);
void lockKeyDown(DesktopServices& d, AppState& s, int key);
void changeWallpaper(DesktopServices& d, AppState& s);
void emergencyUnlock(DesktopServices& d, AppState& s);
void endRestLock(DesktopServices& d, AppState& s);
}  // namespace restlock
