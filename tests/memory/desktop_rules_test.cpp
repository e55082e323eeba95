// The in-memory desktop keeps the rules the handlers rely on: the timer write rule,
// deferred destruction, loading rules, nested event processing, clamps, dialogs.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "platform/memory/desktop.h"

namespace {

using memory::Desktop;
constexpr WindowId kIcon = WindowId::IconWindow;
constexpr WindowId kPanel = WindowId::PanelWindow;
constexpr WindowId kLock = WindowId::LockWindow;
constexpr WindowId kShutdown = WindowId::ShutdownWindow;

bool ignore(Desktop&, const EventArgs&) { return true; }

// Windows loaded with their own handlers replaced, so only the desktop's rules act.
struct Rules : ::testing::Test {
    Desktop desk{1920, 1080};
    AppState state;
    std::vector<std::string> seen;

    Rules() {
        desk.attachState(state);
        for (WindowId w : kAllWindows) {
            desk.overrideHandler(w, EventKind::Created, "", ignore);
            desk.overrideHandler(w, EventKind::WillBeDestroyed, "", [this, w](Desktop&, const EventArgs&) {
                seen.push_back(std::string("destroyed ") + windowName(w));
                return true;
            });
            for (const auto& c : unitFor(w).controls)
                if (c.kind == ControlKind::Timer)
                    desk.overrideHandler(w, EventKind::Tick, c.name, ignore);
        }
    }
    std::vector<std::uint64_t> tickTimes(WindowId w, const char* timer) {
        std::vector<std::uint64_t> times;
        desk.overrideHandler(w, EventKind::Tick, timer, [&times](Desktop& d, const EventArgs&) {
            times.push_back(d.now());
            return true;
        });
        return times;
    }
};

TEST_F(Rules, TimerWriteRuleKeepsThePhaseForTheSameValue) {
    ASSERT_TRUE(desk.loadWindow(kShutdown));
    std::vector<std::uint64_t> ticks;
    desk.overrideHandler(kShutdown, EventKind::Tick, "关机_时钟", [&](Desktop& d, const EventArgs&) {
        ticks.push_back(d.now());
        return true;
    });
    const UiTarget timer = control(kShutdown, "关机_时钟");
    EXPECT_EQ(desk.getProperty(timer, prop::kPeriod).asInt(), 0);
    std::uint64_t t0 = desk.now();
    desk.setProperty(timer, prop::kPeriod, 1000);
    for (int i = 0; i < 6; ++i) {  // written with its own value every 500 ms
        desk.advance(500);
        desk.setProperty(timer, prop::kPeriod, 1000);
    }
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{t0 + 1000, t0 + 2000, t0 + 3000}));

    ticks.clear();
    desk.advance(200);                          // t0 + 3200
    desk.setProperty(timer, prop::kPeriod, 700);  // another value restarts the wait
    desk.advance(1500);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{t0 + 3900, t0 + 4600}));

    ticks.clear();
    desk.setProperty(timer, prop::kPeriod, -5);  // negative counts as stopped
    EXPECT_EQ(desk.getProperty(timer, prop::kPeriod).asInt(), 0);
    desk.advance(5000);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(Rules, TimerWithPeriodZeroInTheUnitNeverTicks) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    auto count = 0;
    desk.overrideHandler(kIcon, EventKind::Tick, "时钟_切换壁纸", [&](Desktop&, const EventArgs&) {
        ++count;
        return true;
    });
    desk.advance(60'000);
    EXPECT_EQ(count, 0);
}

TEST_F(Rules, DestructionWaitsForTheHandlerAndForCommandsPostedBefore) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kPanel, &kIcon));
    bool loadedAfterRequest = false;
    desk.overrideHandler(kPanel, EventKind::LeftUp, "关机_图片框", [&](Desktop& d, const EventArgs&) {
        d.popupMenu(kPanel, "关机选项");
        d.destroyWindow(kPanel);
        d.destroyWindow(kPanel);  // a second request changes nothing
        loadedAfterRequest = d.isLoaded(kPanel);
        seen.push_back("handler returned");
        return true;
    });
    desk.overrideHandler(kPanel, EventKind::MenuChosen, "定时关机", [&](Desktop& d, const EventArgs&) {
        seen.push_back(std::string("command, panel loaded=") + (d.isLoaded(kPanel) ? "yes" : "no"));
        return true;
    });
    desk.answerNextMenu({.item = "定时关机"});
    desk.leftRelease(control(kPanel, "关机_图片框"));
    EXPECT_TRUE(loadedAfterRequest);
    EXPECT_EQ(seen, (std::vector<std::string>{"handler returned", "command, panel loaded=yes",
                                              "destroyed PanelWindow"}));
    EXPECT_FALSE(desk.isLoaded(kPanel));
    EXPECT_TRUE(desk.misuses.empty());
}

TEST_F(Rules, LoadAfterDestroyInOneHandlerReplacesTheInstanceAtOnce) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kPanel, &kIcon));
    desk.overrideHandler(kPanel, EventKind::LeftUp, "标签2", [&](Desktop& d, const EventArgs&) {
        d.setProperty(control(kPanel, "编辑框1"), prop::kText, "typed");
        d.destroyWindow(kPanel);
        EXPECT_TRUE(d.loadWindow(kPanel, &kIcon));
        seen.push_back("reloaded");
        return true;
    });
    desk.leftRelease(control(kPanel, "标签2"));
    desk.advance(100);
    EXPECT_EQ(seen, (std::vector<std::string>{"destroyed PanelWindow", "reloaded"}));
    EXPECT_TRUE(desk.isLoaded(kPanel));  // the old request does not take the new panel
    EXPECT_EQ(desk.createdCount(kPanel), 2);
    EXPECT_EQ(desk.getProperty(control(kPanel, "编辑框1"), prop::kText).asText(), "百度搜索");
}

TEST_F(Rules, LoadingAnOpenWindowOnlyActivatesIt) {
    int created = 0;
    desk.overrideHandler(kPanel, EventKind::Created, "", [&](Desktop&, const EventArgs&) {
        ++created;
        return true;
    });
    EXPECT_FALSE(desk.loadWindow(kPanel, &kIcon));  // its parent is not loaded
    EXPECT_FALSE(desk.isLoaded(kPanel));
    ASSERT_TRUE(desk.loadWindow(kIcon));
    EXPECT_TRUE(desk.loadWindow(kPanel, &kIcon));
    EXPECT_TRUE(desk.loadWindow(kPanel, &kIcon));
    EXPECT_TRUE(desk.loadWindow(kPanel));
    EXPECT_EQ(created, 1);
    EXPECT_EQ(desk.activations(kPanel), 2);
}

TEST_F(Rules, PendingEventsRunNestedInsideTheCaller) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    // At 800 ms the docking and the shrink timer are both due.
    desk.overrideHandler(kIcon, EventKind::Tick, "时钟_自动贴边", [&](Desktop& d, const EventArgs&) {
        seen.push_back("dock begins");
        d.processPendingEvents();
        seen.push_back("dock ends");
        return true;
    });
    desk.overrideHandler(kIcon, EventKind::Tick, "时钟_收缩窗口", [&](Desktop& d, const EventArgs&) {
        if (d.now() == 800) seen.push_back("shrink");
        return true;
    });
    desk.advance(800);
    EXPECT_EQ(seen, (std::vector<std::string>{"dock begins", "shrink", "dock ends"}));
}

TEST_F(Rules, ProcessPendingEventsRunsQueuedCommandsButNotFutureTicks) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    desk.overrideHandler(kIcon, EventKind::MenuChosen, "测试", [&](Desktop&, const EventArgs&) {
        seen.push_back("command");
        return true;
    });
    desk.overrideHandler(kIcon, EventKind::RightUp, "", [&](Desktop& d, const EventArgs&) {
        d.popupMenu(kIcon, "菜单");
        seen.push_back("before");
        d.processPendingEvents();
        seen.push_back("after");
        return true;
    });
    desk.answerNextMenu({.item = "测试"});
    auto ticks = 0;
    desk.overrideHandler(kIcon, EventKind::Tick, "时钟_收缩窗口", [&](Desktop&, const EventArgs&) {
        ++ticks;
        return true;
    });
    desk.rightRelease(win(kIcon));
    EXPECT_EQ(seen, (std::vector<std::string>{"before", "command", "after"}));
    EXPECT_EQ(ticks, 0);
}

TEST_F(Rules, GeometryWritesAreClamped) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    struct Case {
        int index, written, read;
    } cases[] = {
        {prop::kLeft, 40000, 32627},  {prop::kLeft, -40000, -32627}, {prop::kTop, 32627, 32627},
        {prop::kTop, -32628, -32627}, {prop::kWidth, -5, 0},         {prop::kWidth, 99999, 32627},
        {prop::kHeight, 42, 42},      {prop::kHeight, -1, 0},
    };
    for (const auto& c : cases) {
        desk.setProperty(win(kIcon), c.index, c.written);
        EXPECT_EQ(desk.getProperty(win(kIcon), c.index).asInt(), c.read)
            << "index " << c.index << " written " << c.written;
    }
}

TEST_F(Rules, WritesWhileNotLoadedShapeTheNextLoadAndLoadedWritesAreDiscarded) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    desk.setProperty(win(kPanel), prop::kVisible, false);
    desk.setProperty(win(kPanel), prop::kWidth, 301);
    desk.setProperty(menuItem(kPanel, "立即关机"), prop::kItemCaption, "现在关机");
    ASSERT_TRUE(desk.loadWindow(kPanel, &kIcon));
    EXPECT_FALSE(desk.getProperty(win(kPanel), prop::kVisible).asBool());
    EXPECT_EQ(desk.getProperty(win(kPanel), prop::kLeft).asInt(), (1920 - 301) / 2);
    EXPECT_EQ(desk.getProperty(menuItem(kPanel, "立即关机"), prop::kItemCaption).asText(), "现在关机");

    desk.setProperty(win(kPanel), prop::kVisible, true);
    desk.setProperty(win(kPanel), prop::kHeight, 10);
    desk.setProperty(control(kPanel, "编辑框1"), prop::kText, "abc");
    desk.destroyWindow(kPanel);
    desk.advance(1);
    ASSERT_TRUE(desk.loadWindow(kPanel, &kIcon));
    EXPECT_FALSE(desk.getProperty(win(kPanel), prop::kVisible).asBool());  // the unit's flag
    EXPECT_EQ(desk.getProperty(win(kPanel), prop::kHeight).asInt(), 265);
    EXPECT_EQ(desk.getProperty(control(kPanel, "编辑框1"), prop::kText).asText(), "百度搜索");
}

TEST_F(Rules, CreatedHandlerRunsBeforeTheWindowShows) {
    bool visibleInside = true;
    desk.overrideHandler(kLock, EventKind::Created, "", [&](Desktop& d, const EventArgs&) {
        visibleInside = d.getProperty(win(kLock), prop::kVisible).asBool();
        EXPECT_EQ(d.getProperty(win(kLock), prop::kLeft).asInt(), 50);  // as stored
        EXPECT_EQ(d.getProperty(win(kLock), prop::kWidth).asInt(), 654);
        return true;
    });
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kLock, &kIcon));
    EXPECT_FALSE(visibleInside);
    EXPECT_TRUE(desk.getProperty(win(kLock), prop::kVisible).asBool());
    EXPECT_TRUE(desk.inTopmostBand(kLock));  // always on top from creation
}

TEST_F(Rules, CloseRequestAsksTheCanCloseHandler) {
    ASSERT_TRUE(desk.loadWindow(kShutdown));
    bool allow = false;
    desk.overrideHandler(kShutdown, EventKind::CanClose, "", [&](Desktop&, const EventArgs&) {
        return allow;
    });
    desk.requestClose(kShutdown);
    EXPECT_TRUE(desk.isLoaded(kShutdown));
    desk.pressKey(control(kShutdown, "小时_编辑框"), 27);  // Esc is a close key here
    EXPECT_TRUE(desk.isLoaded(kShutdown));
    allow = true;
    desk.pressKey(control(kShutdown, "小时_编辑框"), 27);
    EXPECT_FALSE(desk.isLoaded(kShutdown));  // at once, not deferred
    EXPECT_EQ(seen, (std::vector<std::string>{"destroyed ShutdownWindow"}));
}

TEST_F(Rules, LeavingTheTopmostBandPutsTheLockScreenBack) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kLock, &kIcon));
    desk.setProperty(win(kIcon), prop::kAlwaysOnTop, true);
    EXPECT_EQ(desk.topmostBand().front(), kIcon);
    desk.setProperty(win(kIcon), prop::kAlwaysOnTop, false);
    EXPECT_EQ(desk.topmostBand(), std::vector<WindowId>{kLock});
    EXPECT_FALSE(desk.getProperty(win(kIcon), prop::kAlwaysOnTop).asBool());
    // The panel shows in the taskbar, so it is not put back.
    ASSERT_TRUE(desk.loadWindow(kPanel, &kIcon));
    desk.setProperty(win(kLock), prop::kAlwaysOnTop, false);
    EXPECT_FALSE(desk.inTopmostBand(kLock));
    EXPECT_TRUE(desk.inTopmostBand(kPanel));
}

TEST_F(Rules, TimersTickWhileADialogIsOpen) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    int ticks = 0;
    desk.overrideHandler(kIcon, EventKind::Tick, "时钟_锁屏窗", [&](Desktop&, const EventArgs&) {
        ++ticks;
        return true;
    });
    desk.answerNextMessageBox({.result = msgbox::kResultCancel, .afterMs = 3000});
    EXPECT_EQ(desk.messageBox("sure?", msgbox::kOkCancel), msgbox::kResultCancel);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(desk.messageBoxes.back().title, "信息：");  // the default caption
    EXPECT_EQ(desk.messageBox("plain", msgbox::kOk), msgbox::kResultOk);

    Text entered = "unchanged";
    desk.answerNextInputBox({.text = std::nullopt, .afterMs = 2000});
    EXPECT_FALSE(desk.inputBox("p", "t", "", true, kIcon, entered));
    EXPECT_EQ(entered, "unchanged");
    EXPECT_EQ(ticks, 5);
    desk.answerNextInputBox({.text = "secret"});
    EXPECT_TRUE(desk.inputBox("p", "t", "", true, kIcon, entered));
    EXPECT_EQ(entered, "secret");
}

TEST_F(Rules, PopupMenuShowsTheItemsBelowItsRootAtThePointerPlusThree) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    desk.pointTo(100, 200);
    desk.popupMenu(kIcon, "菜单");
    ASSERT_EQ(desk.menus.size(), 1u);
    EXPECT_EQ(desk.menus[0].x, 103);
    EXPECT_EQ(desk.menus[0].y, 203);
    EXPECT_EQ(desk.menus[0].items,
              (std::vector<Text>{"弹出方式", "自动弹出", "双击弹出", "选择图标", "黑图标", "蓝图标",
                                 "自动贴边", "测试", "-", "退出"}));
    ASSERT_TRUE(desk.loadWindow(kPanel, &kIcon));
    desk.popupMenu(kPanel, "垃圾桶");
    EXPECT_EQ(desk.menus[1].items, std::vector<Text>{"清空回收站"});
}

TEST_F(Rules, ModalWindowDisablesTheOthersUntilItGoes) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kShutdown, nullptr, true));
    int clicks = 0;
    desk.overrideHandler(kIcon, EventKind::RightUp, "", [&](Desktop&, const EventArgs&) {
        ++clicks;
        return true;
    });
    desk.rightRelease(win(kIcon));
    EXPECT_EQ(clicks, 0);
    desk.destroyWindow(kShutdown);
    desk.advance(1);
    desk.rightRelease(win(kIcon));
    EXPECT_EQ(clicks, 1);
}

TEST_F(Rules, OpacityOutOfRangeIsOpaque) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    WindowHandle h = desk.windowHandle(win(kIcon));
    for (int v : {300, -5, 256}) {
        EXPECT_TRUE(desk.setWindowOpacity(h, v));
        EXPECT_EQ(desk.window(kIcon)->opacity, 255) << v;
    }
    EXPECT_TRUE(desk.setWindowOpacity(h, 0));
    EXPECT_EQ(desk.window(kIcon)->opacity, 0);
    desk.setLayeredSupported(false);
    EXPECT_FALSE(desk.setWindowOpacity(h, 100));
    EXPECT_EQ(desk.window(kIcon)->opacity, 0);
}

TEST_F(Rules, PressKeysReleasesInPressOrder) {
    desk.pressKeys(91, 68);
    using K = memory::KeyStroke;
    EXPECT_EQ(desk.keyStrokes, (std::vector<K>{{91, true}, {68, true}, {91, false}, {68, false}}));
}

TEST_F(Rules, ResumeAfterStopPlaysNothing) {
    desk.putFile("E:\\song.mp3", "ID3...");
    desk.playMp3("E:\\song.mp3");
    EXPECT_EQ(desk.mp3State(), Desktop::Mp3State::Playing);
    desk.stopAllSounds();
    desk.resumeMp3();
    EXPECT_EQ(desk.mp3State(), Desktop::Mp3State::None);
    desk.playMp3("E:\\missing.mp3");
    EXPECT_EQ(desk.mp3State(), Desktop::Mp3State::None);
}

TEST_F(Rules, VirtualClockRollsOverDays) {
    desk.setLocalTime(2026, 12, 31, 23, 59, 59);
    desk.advance(1000);
    EXPECT_EQ(desk.currentTime(), (DateTime{2027, 1, 1, 0, 0, 0}));
    desk.advanceTo(9, 30, 0);
    EXPECT_EQ(desk.currentTime(), (DateTime{2027, 1, 1, 9, 30, 0}));
    desk.advanceTo(9, 0, 0);  // the next time the clock shows 09:00 is tomorrow
    EXPECT_EQ(desk.currentTime(), (DateTime{2027, 1, 2, 9, 0, 0}));
}

TEST_F(Rules, DestroyingTheLastWindowEndsTheLoopWithTheExitRoutine) {
    int routines = 0;
    desk.registerExitRoutine([&] { ++routines; });
    ASSERT_TRUE(desk.loadWindow(kShutdown));
    desk.destroyWindow(kShutdown);
    desk.advance(1);
    EXPECT_TRUE(desk.ended());
    EXPECT_EQ(desk.exitCode(), 0);
    EXPECT_EQ(routines, 1);
}

}  // namespace
