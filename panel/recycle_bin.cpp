// Placeholder bodies until these handlers are written; they do nothing yet.
#include "panel/recycle_bin.h"

namespace panel {
bool recycleBinHasItems(DesktopServices& ) { return false; }
void showBinMenu(DesktopServices& , AppState& ) {}
void emptyRecycleBin(DesktopServices& , AppState& ) {}
}  // namespace panel
