// Placeholder bodies until these handlers are written; they do nothing yet.
#include "shutdown/shutdown_window.h"

namespace shutdown {
void setupShutdownWindow(DesktopServices& , AppState& ) {}
bool armShutdown(DesktopServices& , AppState& , int ) { return false; }
void shutdownTick(DesktopServices& , AppState& ) {}
bool answerCloseRequest(DesktopServices& , AppState& ) { return false; }
}  // namespace shutdown
