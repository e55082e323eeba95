// A started widget with docking off and the icon put where a test wants it; the panel
// is opened the way a person opens it: the pointer rests on the icon until the
// edge-docking tick loads it. Time then moves in whole fade ticks.
#pragma once

#include <gtest/gtest.h>

#include "app/startup.h"
#include "platform/memory/desktop.h"

namespace paneltest {

constexpr WindowId kIcon = WindowId::IconWindow;
constexpr WindowId kPanel = WindowId::PanelWindow;
constexpr int kDockMs = 800, kFadeMs = 60;

struct Panel {
    memory::Desktop desk;
    AppState state;
    WindowHandle panelHandle = 0;
    int iconLeft, iconTop;

    Panel(int screenWidth = 1920, int left = 100, int top = 500)
        : desk(screenWidth, 1080), iconLeft(left), iconTop(top) {
        if (!startWidget(desk, state)) ADD_FAILURE() << "start-up failed";
        chooseIconItem("自动贴边");  // docking off: the icon stays where the test puts it
        desk.setProperty(win(kIcon), prop::kLeft, left);
        desk.setProperty(win(kIcon), prop::kTop, top);
    }
    void chooseIconItem(const char* item) {
        desk.answerNextMenu({Text(item), 0});
        desk.rightRelease(win(kIcon));
    }
    // Rests the pointer at (iconLeft + dx, iconTop + 10) until the next docking tick,
    // which loads the panel; time stands exactly at that tick afterwards.
    void open(int dx = 10) {
        desk.pointTo(iconLeft + dx, iconTop + 10);
        desk.advance(kDockMs - desk.now() % kDockMs);
        ASSERT_TRUE(desk.isLoaded(kPanel));
        panelHandle = desk.window(kPanel)->handle;
    }
    void tick(int n = 1) { desk.advance(static_cast<std::uint64_t>(kFadeMs) * n); }
    int panel(int index) { return desk.getProperty(win(kPanel), index).asInt(); }
    // Opacities applied to the panel so far (this and earlier panels share the handle).
    std::vector<int> opacities() {
        std::vector<int> v;
        for (const auto& [h, o] : desk.opacityWrites)
            if (h == panelHandle) v.push_back(o);
        return v;
    }
    void pointAway() { desk.pointTo(900, 1000); }
    void click(const char* controlName) { desk.leftRelease(control(kPanel, controlName)); }
};

}  // namespace paneltest
