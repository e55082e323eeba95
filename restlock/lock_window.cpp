// Placeholder bodies until these handlers are written; they do nothing yet.
#include "restlock/lock_window.h"

namespace restlock {
void setupLock(DesktopServices& , AppState& ) {}
void lockTick(DesktopServices& , AppState& ) {}
void raiseLockWindow(DesktopServices& , AppState& ) {}
void lockLeftClick(DesktopServices& , AppState& ) {}
void lockRightClick(DesktopServices& , AppState& ) {}
void lockKeyDown(DesktopServices& , AppState& , int ) {}
void changeWallpaper(DesktopServices& , AppState& ) {}
void emergencyUnlock(DesktopServices& , AppState& ) {}
void endRestLock(DesktopServices& , AppState& ) {}
}  // namespace restlock
