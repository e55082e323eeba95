// Keeping the desktop whole: the taskbar hidden by the lock screen comes back on
// every way out of the process that can still act, and after a shell restart a
// re-created taskbar is hidden again while the lock is up.
#pragma once

namespace win32 {

// Crash, unhandled exception, terminate and console-event guards; installed once.
void installTaskbarGuards();
// What the lock screen did to the taskbar last: the guards act only after a hide.
void noteTaskbarHiddenByUs(bool hidden);
bool taskbarHiddenByUs();
// Shows a taskbar left hidden by an earlier run that ended abnormally.
void showTaskbarIfHidden();
// Shows the taskbar if this process hid it (normal ending, end of session).
void showTaskbarIfWeHidIt();

}  // namespace win32
