// Placeholder bodies until these handlers are written; they do nothing yet.
#include "icon/breathing.h"

namespace icon {
void breathTick(DesktopServices& , AppState& ) {}
void selectBlackTheme(DesktopServices& , AppState& ) {}
void selectBlueTheme(DesktopServices& , AppState& ) {}
Text framePath(const Text& , const Text& , int ) { return {}; }
}  // namespace icon
