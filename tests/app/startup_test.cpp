// Start-up and ending: the shared state right after start, the exit command that
// ends everything at once, and a start-up whose icon window cannot be created.
#include <gtest/gtest.h>

#include "app/startup.h"
#include "platform/memory/desktop.h"

namespace {

constexpr WindowId kIcon = WindowId::IconWindow;

TEST(StartUp, StateRightAfterStart) {
    memory::Desktop desk;
    desk.setLocalTime(2026, 3, 1, 7, 59, 59);
    AppState s;
    ASSERT_TRUE(startWidget(desk, s));
    EXPECT_EQ(s.autoPopup, 1);
    EXPECT_EQ(s.menuShown, 0);
    EXPECT_EQ(s.restBaseHour, 7);
    EXPECT_EQ(s.iconTheme, "黑图标");
    EXPECT_EQ(s.iconFrameCount, 20);
    EXPECT_EQ(s.iconFrame, 0);
    EXPECT_EQ(s.breathRising, 0);
    for (int v : {s.panelAlpha, s.musicPlaying, s.lockMinutesLeft, s.lockSecondsLeft,
                  s.wallpaperCountdown, s.clockMinute, s.shutdownHour, s.shutdownMinute})
        EXPECT_EQ(v, 0);
    // Only the icon is loaded; nothing has ticked yet.
    EXPECT_TRUE(desk.isLoaded(kIcon));
    for (WindowId w : {WindowId::PanelWindow, WindowId::LockWindow, WindowId::ShutdownWindow})
        EXPECT_FALSE(desk.isLoaded(w));
    EXPECT_EQ(desk.events, std::vector<std::string>{"IconWindow Created @0"});
    EXPECT_TRUE(desk.misuses.empty());
}

TEST(Ending, ExitEndsAtOnceWithoutAnyWindowHandler) {
    memory::Desktop desk;
    AppState s;
    ASSERT_TRUE(startWidget(desk, s));
    desk.advance(800);
    desk.pointTo(10, 500);
    desk.advance(800);  // the panel opens
    ASSERT_TRUE(desk.isLoaded(WindowId::PanelWindow));
    ASSERT_TRUE(desk.loadWindow(WindowId::ShutdownWindow));
    const std::size_t before = desk.events.size();

    desk.answerNextMenu({Text("退出"), 0});
    desk.rightRelease(win(kIcon));
    desk.advance(5000);
    const std::vector<std::string> after(desk.events.begin() + static_cast<long>(before),
                                         desk.events.end());
    EXPECT_EQ(after, (std::vector<std::string>{"IconWindow RightUp @1600",
                                               "IconWindow MenuChosen 退出 @1600"}));
    EXPECT_EQ(desk.exitRoutineRuns(), 1);
    EXPECT_EQ(desk.exitCode(), std::optional<int>(0));
    EXPECT_TRUE(s.iconTheme.empty());
    EXPECT_EQ(s.menuShown, 1);  // exit leaves the flag as the menu set it
    EXPECT_TRUE(desk.shutdownRequests.empty());
}

TEST(StartUp, IconWindowThatCannotBeCreatedEndsWithMinusOne) {
    memory::Desktop desk;
    AppState s;
    desk.failNextLoadOf(kIcon);
    EXPECT_EQ(runWidget(desk, s), -1);
    EXPECT_EQ(desk.exitRoutineRuns(), 0);
    EXPECT_FALSE(desk.fatalReport().empty());
    EXPECT_FALSE(desk.isLoaded(kIcon));
}

}  // namespace
