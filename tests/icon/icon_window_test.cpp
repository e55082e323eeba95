// The floating icon on the in-memory desktop: set-up, docking, the pointer test and
// its topmost switching, the menu flag and the two ways of opening the panel.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "icon/icon_window.h"
#include "platform/memory/desktop.h"

namespace {

constexpr WindowId kIcon = WindowId::IconWindow;
constexpr WindowId kPanel = WindowId::PanelWindow;

struct Icon {
    memory::Desktop desk;
    AppState state;

    explicit Icon(int screenWidth = 1920, int screenHeight = 1080) : desk(screenWidth, screenHeight) {
        if (!startWidget(desk, state)) ADD_FAILURE() << "start-up failed";
    }
    int prop(int index) { return desk.getProperty(win(kIcon), index).asInt(); }
    void drag(int left, int top) {
        desk.setProperty(win(kIcon), prop::kLeft, left);
        desk.setProperty(win(kIcon), prop::kTop, top);
    }
    bool checked(const char* item) {
        return desk.getProperty(menuItem(kIcon, item), prop::kItemChecked).asBool();
    }
    // Right-click the icon and choose an item (or dismiss the menu with nullopt).
    void choose(std::optional<Text> item) {
        desk.answerNextMenu({item, 0});
        desk.rightRelease(win(kIcon));
    }
    bool topmost() { return desk.getProperty(win(kIcon), prop::kAlwaysOnTop).asBool(); }
};

TEST(IconSetup, ShowsSmallIconAtTheCentreForTheUnitSizeThenDocks) {
    Icon t;
    const memory::LiveWindow* w = t.desk.window(kIcon);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->left, 910);  // (1920 - 100) / 2
    EXPECT_EQ(w->top, 492);   // (1080 - 96) / 2
    EXPECT_EQ(w->width, 42);
    EXPECT_EQ(w->height, 42);
    EXPECT_TRUE(w->visible);
    EXPECT_EQ(w->backColour, kDefaultColour);
    EXPECT_FALSE(t.desk.inTopmostBand(kIcon));
    EXPECT_TRUE(t.checked("自动弹出"));
    EXPECT_FALSE(t.checked("双击弹出"));
    EXPECT_TRUE(t.checked("黑图标"));
    EXPECT_FALSE(t.checked("蓝图标"));
    EXPECT_TRUE(t.checked("自动贴边"));

    t.desk.advance(799);
    EXPECT_EQ(t.prop(prop::kLeft), 910);
    t.desk.advance(1);  // the first docking tick, 800 ms after the load
    EXPECT_EQ(t.prop(prop::kLeft), 0);
    EXPECT_EQ(t.prop(prop::kTop), 492);
    EXPECT_TRUE(t.desk.misuses.empty());
}

struct DockCase {
    int screenWidth, left, dockedLeft;
};

TEST(IconDocking, GoesToTheNearerEdgeOfTheScreen) {
    const DockCase cases[] = {
        {1920, 959, 0}, {1920, 960, 1878}, {1365, 682, 0}, {1365, 683, 1323},
        {1920, -30, 0}, {1920, 1900, 1878},
    };
    for (const DockCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.screenWidth) + " / " + std::to_string(c.left));
        Icon t(c.screenWidth, 768);
        t.drag(c.left, 300);
        t.desk.advance(800);
        EXPECT_EQ(t.prop(prop::kLeft), c.dockedLeft);
        EXPECT_EQ(t.prop(prop::kTop), 300);
    }
}

TEST(IconDocking, StaysWhereDraggedWhileDockingIsOff) {
    Icon t;
    t.choose("自动贴边");
    EXPECT_FALSE(t.checked("自动贴边"));
    t.drag(700, 200);
    t.desk.advance(2400);
    EXPECT_EQ(t.prop(prop::kLeft), 700);
    EXPECT_EQ(t.prop(prop::kTop), 200);

    t.choose("自动贴边");
    EXPECT_TRUE(t.checked("自动贴边"));
    t.desk.advance(800);
    EXPECT_EQ(t.prop(prop::kLeft), 0);
}

struct PointerCase {
    int dx, dy;  // from the icon's top-left corner (icon 42 x 42)
    bool on;
    bool leavesTopmostAlone;
};

TEST(IconPointerTest, BoundsIncludeOnePastTheLastColumnAndRow) {
    const PointerCase cases[] = {
        {0, 0, true, false},     {41, 41, true, false},  {42, 20, true, false},
        {20, 42, true, false},   {42, 42, true, false},  {43, 20, false, false},
        {-1, 20, false, false},  {20, 43, false, true},  {20, -1, false, true},
        {-1, -1, false, false},
    };
    for (bool before : {false, true}) {
        for (const PointerCase& c : cases) {
            SCOPED_TRACE("dx " + std::to_string(c.dx) + " dy " + std::to_string(c.dy) +
                         (before ? " from topmost" : " from normal"));
            Icon t;
            t.drag(400, 300);
            t.desk.setProperty(win(kIcon), prop::kAlwaysOnTop, before);
            t.desk.pointTo(400 + c.dx, 300 + c.dy);
            EXPECT_EQ(icon::isPointerOnIcon(t.desk, t.state), c.on);
            const bool expected = c.leavesTopmostAlone ? before : c.on;
            EXPECT_EQ(t.topmost(), expected);
            EXPECT_EQ(t.desk.inTopmostBand(kIcon), expected);
        }
    }
}

TEST(IconPointerTest, ShrinkTimerRaisesAndLowersTheIcon) {
    Icon t;
    t.choose("自动贴边");  // keep the icon where it is
    t.drag(400, 300);
    t.desk.pointTo(410, 310);
    t.desk.advance(40);
    EXPECT_TRUE(t.desk.inTopmostBand(kIcon));
    t.desk.pointTo(300, 310);
    t.desk.advance(40);
    EXPECT_FALSE(t.desk.inTopmostBand(kIcon));
}

TEST(IconMenu, DismissedMenuKeepsTheIconOutOfTheTopmostBandUntilTheNextCommand) {
    Icon t;
    t.choose("自动贴边");
    t.drag(400, 300);
    t.desk.pointTo(410, 310);
    t.choose(std::nullopt);  // dismissed with Esc
    ASSERT_EQ(t.desk.menus.size(), 2u);
    EXPECT_EQ(t.desk.menus.back().root, "菜单");
    EXPECT_EQ(t.desk.menus.back().x, 413);
    EXPECT_EQ(t.desk.menus.back().y, 313);
    EXPECT_EQ(t.state.menuShown, 1);

    t.desk.advance(400);
    EXPECT_FALSE(t.desk.inTopmostBand(kIcon));
    EXPECT_FALSE(t.topmost());
    // The automatic popup still works meanwhile.
    t.desk.advance(400);
    EXPECT_TRUE(t.desk.isLoaded(kPanel));

    t.choose("自动贴边");
    t.choose("自动贴边");
    EXPECT_EQ(t.state.menuShown, 0);
    t.desk.advance(40);
    EXPECT_TRUE(t.desk.inTopmostBand(kIcon));
}

TEST(IconMenu, EveryCommandButExitClearsTheMenuFlag) {
    for (const char* item : {"自动弹出", "双击弹出", "黑图标", "蓝图标", "自动贴边"}) {
        SCOPED_TRACE(item);
        Icon t;
        t.choose(item);
        EXPECT_EQ(t.state.menuShown, 0);
    }
}

TEST(IconMenu, TestItemStartsARestLockAtOnce) {
    Icon t;
    t.choose("测试");
    ASSERT_TRUE(t.desk.isLoaded(WindowId::LockWindow));
    EXPECT_EQ(t.desk.window(WindowId::LockWindow)->parent, std::optional<WindowId>(kIcon));
    EXPECT_FALSE(t.desk.window(kIcon)->visible);
    EXPECT_EQ(t.state.menuShown, 0);
    // Asleep: no breathing, docking or pointer test while the lock is up.
    const int frame = t.state.iconFrame;
    t.drag(700, 300);
    t.desk.advance(2000);
    EXPECT_EQ(t.state.iconFrame, frame);
    EXPECT_EQ(t.prop(prop::kLeft), 700);
}

TEST(IconMenu, PopupModeItemsSwitchTheFlagAndTheirMarks) {
    Icon t;
    t.choose("双击弹出");
    EXPECT_EQ(t.state.autoPopup, 0);
    EXPECT_FALSE(t.checked("自动弹出"));
    EXPECT_TRUE(t.checked("双击弹出"));
    t.choose("自动弹出");
    EXPECT_EQ(t.state.autoPopup, 1);
    EXPECT_TRUE(t.checked("自动弹出"));
    EXPECT_FALSE(t.checked("双击弹出"));
}

TEST(IconPopup, AutomaticModeOpensThePanelOnceThenOnlyActivatesIt) {
    Icon t;
    t.desk.advance(800);  // docked to the left edge
    t.desk.pointTo(10, 500);
    t.desk.advance(799);
    EXPECT_FALSE(t.desk.isLoaded(kPanel));
    t.desk.advance(1);
    ASSERT_TRUE(t.desk.isLoaded(kPanel));
    EXPECT_EQ(t.desk.window(kPanel)->parent, std::optional<WindowId>(kIcon));
    EXPECT_EQ(t.desk.createdCount(kPanel), 1);
    EXPECT_EQ(t.desk.activations(kPanel), 0);
    t.desk.advance(1600);
    EXPECT_EQ(t.desk.createdCount(kPanel), 1);
    EXPECT_EQ(t.desk.activations(kPanel), 2);

    // A click (press and release) on the icon is a move, never an opening.
    Icon u;
    u.desk.pointTo(2000, 2000);
    u.desk.leftClick(win(kIcon));
    u.desk.doubleClick(win(kIcon));
    EXPECT_FALSE(u.desk.isLoaded(kPanel));
}

TEST(IconPopup, ClickModeNeedsTheReleaseAfterADoubleClick) {
    Icon t;
    t.choose("双击弹出");
    t.desk.advance(800);
    t.desk.pointTo(10, 500);  // resting on the icon opens nothing in this mode
    t.desk.advance(2400);
    EXPECT_FALSE(t.desk.isLoaded(kPanel));
    t.desk.leftClick(win(kIcon));
    EXPECT_FALSE(t.desk.isLoaded(kPanel));
    t.desk.doubleClick(win(kIcon));
    ASSERT_TRUE(t.desk.isLoaded(kPanel));
    EXPECT_TRUE(t.desk.window(kPanel)->visible);
    EXPECT_EQ(t.desk.window(kPanel)->parent, std::optional<WindowId>(kIcon));
    EXPECT_TRUE(t.desk.misuses.empty());
}

}  // namespace
