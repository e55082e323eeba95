// Placeholder bodies until these handlers are written; they do nothing yet.
#include "panel/panel_window.h"

namespace panel {
void setupPanel(DesktopServices& , AppState& ) {}
void fadeTick(DesktopServices& , AppState& ) {}
bool isPointerNearPanel(DesktopServices& , AppState& ) { return false; }
}  // namespace panel
