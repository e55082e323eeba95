// The window units hang together: every picture they name is embedded, every
// binding names a control or menu item that exists, names are unique.
#include <gtest/gtest.h>

#include <set>

#include "units/unit.h"

namespace {

TEST(Units, EveryNamedResourceIsEmbedded) {
    for (WindowId w : kAllWindows) {
        const WindowUnit& u = unitFor(w);
        EXPECT_EQ(u.id, w);
        for (const char* name : {u.backPicture, u.icon})
            if (name) {
                EXPECT_FALSE(resource(name).empty()) << windowName(w) << " " << name;
            }
        for (const auto& c : u.controls)
            if (c.picture) {
                EXPECT_FALSE(resource(c.picture).empty()) << c.picture;
            }
    }
    EXPECT_FALSE(resource("bin_full.png").empty());
    EXPECT_FALSE(resource("emptied_chime.wav").empty());
    EXPECT_TRUE(resource("no_such_thing.png").empty());
    EXPECT_EQ(resource("drive_tower.png"), resource(findControl(kPanelWindow, "资料盘_图片框")->picture));
}

TEST(Units, BindingsNameExistingControlsAndMenuItems) {
    for (WindowId w : kAllWindows) {
        const WindowUnit& u = unitFor(w);
        std::set<std::string> names;
        for (const auto& c : u.controls) EXPECT_TRUE(names.insert(c.name).second) << c.name;
        for (const auto& b : u.bindings) {
            ASSERT_NE(b.handler, nullptr);
            std::string_view source = b.source;
            if (b.event == EventKind::MenuChosen) {
                EXPECT_NE(findMenuItem(u, source), nullptr) << windowName(w) << " " << b.source;
            } else if (!source.empty()) {
                EXPECT_NE(findControl(u, source), nullptr) << windowName(w) << " " << b.source;
            }
        }
    }
}

TEST(Units, TimerPeriodsAtLoad) {
    struct Case {
        const WindowUnit& unit;
        const char* timer;
        int period;
    } cases[] = {
        {kIconWindow, "时钟_锁屏窗", 1000},   {kIconWindow, "时钟_呼吸灯", 120},
        {kIconWindow, "时钟_自动贴边", 800},  {kIconWindow, "时钟_切换壁纸", 0},
        {kIconWindow, "时钟_收缩窗口", 40},   {kPanelWindow, "时钟_淡出淡入", 60},
        {kLockWindow, "时钟_时间", 1000},     {kLockWindow, "时钟_总在最前", 0},
        {kShutdownWindow, "关机_时钟", 0},
    };
    for (const auto& c : cases) {
        const ControlUnit* t = findControl(c.unit, c.timer);
        ASSERT_NE(t, nullptr) << c.timer;
        EXPECT_EQ(t->kind, ControlKind::Timer);
        EXPECT_EQ(t->period, c.period) << c.timer;
    }
    EXPECT_EQ(findHandler(kIconWindow, EventKind::Tick, "时钟_切换壁纸"), nullptr);
}

TEST(Units, RoundedCornersOfThePanel) {
    EXPECT_EQ(roundedCornerSize(kPanelWindow.width, kPanelWindow.height), 53);
    EXPECT_EQ(kPanelWindow.shape, Shape::RoundedRectangle);
    EXPECT_EQ(rgb(0x2A2A2A), 0x2A2A2Au);
    EXPECT_EQ(rgb(0xFF0000), 0x0000FFu);  // #RRGGBB becomes 0x00BBGGRR
}

}  // namespace
