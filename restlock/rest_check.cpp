// Placeholder bodies until these handlers are written; they do nothing yet.
#include "restlock/rest_check.h"

namespace restlock {
void restCheck(DesktopServices& , AppState& ) {}
void startRestLock(DesktopServices& , AppState& ) {}
bool isProcessRunning(DesktopServices& , const Text& ) { return false; }
}  // namespace restlock
