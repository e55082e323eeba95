// The two-hourly rest check on the icon's rest timer, the start of a rest lock, and
// the look-up of running processes by executable name.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

namespace restlock {
void restCheck(DesktopServices& d, AppState& s);
void startRestLock(DesktopServices& d, AppState& s);
bool isProcessRunning(DesktopServices& d, const Text& name);

// The hour (0..23) at which the work period begun at restBaseHour ends in a lock.
int lockHour(int restBaseHour);
}  // namespace restlock
