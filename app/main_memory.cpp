// Runs the widget's start-up against the in-memory desktop: a quick look at the
// logic on a machine without Windows. The real desktop is the Windows build.
#include <cstdio>

#include "app/startup.h"
#include "platform/memory/desktop.h"

int main() {
    AppState state;
    memory::Desktop desk(1920, 1080);
    if (!startWidget(desk, state)) return -1;
    desk.advance(1000);
    const memory::LiveWindow* icon = desk.window(WindowId::IconWindow);
    std::printf("IconWindow at %d,%d size %dx%d after one virtual second (in-memory desktop).\n",
                icon->left, icon->top, icon->width, icon->height);
    return 0;
}
