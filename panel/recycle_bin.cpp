// The recycle-bin picture of the panel: whether any drive's bin holds items, and
// emptying all of them from the picture's right-click menu.
#include "panel/recycle_bin.h"

#include <algorithm>

#include "units/unit.h"

namespace panel {

namespace {

constexpr WindowId kPanel = WindowId::PanelWindow;
constexpr int kDriveBufferSize = 256;
// SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND: the chime replaces them.
constexpr std::uint32_t kEmptyQuietly = 1 | 2 | 4;

}  // namespace

bool recycleBinHasItems(DesktopServices& d) {
    ShQueryRbInfo info{};  // one zeroed record reused for every drive
    d.processPendingEvents();
    SystemCalls& sys = d.systemCalls();
    Bytes buffer = blankBytes(kDriveBufferSize);
    const std::uint32_t count = sys.GetLogicalDriveStringsA(kDriveBufferSize, buffer.data());
    // A buffer too small makes the call return the size it needs: keep what fits.
    const int kept = static_cast<int>(std::min<std::uint32_t>(count, kDriveBufferSize));
    for (const Bytes& root : splitBytes(leftBytes(buffer, kept))) {
        const Text path = joinTexts({root, "RECYCLER\\"});
        info.cbSize = sizeof(ShQueryRbInfo);
        // NOTE: a failing query leaves the record as the previous drive left it; that
        // drive had no items (else we would have stopped), so the failure reads as empty.
        sys.SHQueryRecycleBinA(path.c_str(), &info);
        if (info.i64NumItems > 0) return true;
    }
    return false;
}

void showBinMenu(DesktopServices& d, AppState&) { d.popupMenu(kPanel, "垃圾桶"); }

void emptyRecycleBin(DesktopServices& d, AppState&) {
    d.systemCalls().SHEmptyRecycleBinA(d.windowHandle(win(WindowId::IconWindow)), nullptr,
                                       kEmptyQuietly);
    const bool full = recycleBinHasItems(d);
    if (d.isLoaded(kPanel))
        d.setProperty(control(kPanel, "垃圾桶_图片框"), prop::kPicture,
                      Value(resource(full ? "bin_full.png" : "bin_empty.png")));
    d.playSound(resource("emptied_chime.wav"), false);
}

}  // namespace panel
