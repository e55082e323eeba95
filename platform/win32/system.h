// Programs, the shell, the keyboard, the taskbar, shutdown, opacity, files and the
// directly called system functions on Windows. Texts in and out are GBK.
#pragma once

#include <windows.h>

#include <string>

#include "platform/desktop_services.h"

// CreateProcessW on the command line; with wait, until the process ends, otherwise up
// to one second for it to become idle. False when it could not be started.
bool runCommandLineGbk(const std::string& commandLine, bool wait);
// The file's default action through the shell, no owner.
void shellOpenGbk(const std::string& file);
// The "open" verb on an address, owned by a browser window titled
// "Microsoft Internet Explorer" when there is one.
void openUrlGbk(const std::string& address);
// key1 down, key2 down, key1 up, key2 up.
void pressKeysWin(int key1, int key2);
// The taskbar window (class "Shell_TrayWnd") hidden or shown; nothing without one.
void hideTaskbarWin();
void showTaskbarWin();
// Enables SeShutdownPrivilege in the process token; false when any step failed.
bool enableShutdownPrivilege();
// Mode 2 restarts the system (forced when asked) after enabling the privilege; the
// result is ExitWindowsEx's. Other modes are not offered: false, nothing done.
bool shutDownSystemWin(int mode, bool force);
// Opacity 0..255 (anything else counts as 255) through a layered window; the window's
// whole extended style becomes WS_EX_LAYERED. False when the system lacks it.
bool setWindowOpacityWin(HWND window, int opacity);
// The eight system functions the logic calls directly, each resolved by name at its
// first call; the libraries are released with the last copy of the table.
SystemCalls makeSystemCalls();
// The executable's directory without a trailing backslash.
std::string runDirectoryGbk();
// Files above this size are not read (pictures and music are far smaller).
inline constexpr long long kReadFileLimit = 64ll * 1024 * 1024;
// The whole file, opened with others allowed to read only; empty on any failure.
std::string readFileGbk(const std::string& path);
