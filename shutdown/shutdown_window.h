// ShutdownWindow's handlers: arming a shutdown at a typed hour and minute, the tick
// that runs it, and the close request that only hides an armed window.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

namespace shutdown {
void setupShutdownWindow(DesktopServices& d, AppState& s);
bool armShutdown(DesktopServices& d, AppState& s, int key);
void shutdownTick(DesktopServices& d, AppState& s);
bool answerCloseRequest(DesktopServices& d, AppState& s);  // false refuses the close
}  // namespace shutdown
