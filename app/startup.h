// Program entry and ending: initialise the desktop, register the exit routine, load
// IconWindow (its created handler sets everything up), then run the message loop.
#pragma once

#include "app/app_state.h"
#include "platform/desktop_services.h"

// Start-up up to the message loop. False when IconWindow could not be loaded: the
// desktop has reported the fatal error and the exit routine will not run.
bool startWidget(DesktopServices& d, AppState& s);

// Start-up and the message loop; the process exit code (-1 when start-up failed).
int runWidget(DesktopServices& d, AppState& s);

// Releases what AppState owns; the desktop calls it once when the program ends.
void exitRoutine(AppState& s);
