// Program entry and the exit routine.
#include "app/startup.h"

bool startWidget(DesktopServices& d, AppState& s) {
    d.attachState(s);
    d.initialise();
    d.registerExitRoutine([&s] { exitRoutine(s); });
    if (!d.loadWindow(WindowId::IconWindow)) {
        d.reportFatal("IconWindow could not be created.");
        return false;
    }
    return true;
}

int runWidget(DesktopServices& d, AppState& s) {
    if (!startWidget(d, s)) return -1;
    return d.runMessageLoop();
}

void exitRoutine(AppState& s) {
    s.iconTheme.clear();
    s.iconTheme.shrink_to_fit();
}
