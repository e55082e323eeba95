// The Win32 desktop keeps the rules the handlers rely on, with real windows, real
// timers and the real message queue: the timer write rule, deferred destruction,
// reloading, nested event processing, clamps and stored unit copies, focus events
// of a dying window, close requests.
#include "tests/win32/win32_fixture.h"

namespace {

using namespace win32test;

int menuPosition(WindowId w, const char* item) {
    const auto& menu = unitFor(w).menu;
    for (std::size_t i = 0; i < menu.size(); ++i)
        if (std::string(menu[i].caption) == item) return static_cast<int>(i);
    ADD_FAILURE() << "no menu item " << item;
    return 0;
}

void postMenuCommand(HWND h, WindowId w, const char* item) {
    PostMessageW(h, WM_COMMAND, static_cast<WPARAM>(win32::kFirstMenuCommand + menuPosition(w, item)), 0);
}

TEST_F(Win32Desktop, TimerWriteRuleKeepsThePhaseAndOtherValuesRestartTheWait) {
    ASSERT_TRUE(desk.loadWindow(kShutdown));
    std::vector<DWORD> ticks;
    desk.overrideHandler(kShutdown, EventKind::Tick, "关机_时钟", [&](win32::Desktop&, const EventArgs&) {
        ticks.push_back(GetTickCount());
        return true;
    });
    const UiTarget timer = control(kShutdown, "关机_时钟");
    EXPECT_EQ(desk.getProperty(timer, prop::kPeriod).asInt(), 0);

    // Written with its own value every 100 ms: a restarting write would never tick.
    desk.setProperty(timer, prop::kPeriod, 300);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 1500) {
        pumpFor(100);
        desk.setProperty(timer, prop::kPeriod, 300);
    }
    EXPECT_GE(ticks.size(), 3u) << "the same value must not restart the timer";
    EXPECT_LE(ticks.size(), 6u);

    // Another value restarts the wait: the first tick comes a full period later.
    pumpUntil([&] { return false; }, 50);
    ticks.clear();
    const DWORD written = GetTickCount();
    desk.setProperty(timer, prop::kPeriod, 700);
    ASSERT_TRUE(pumpUntil([&] { return !ticks.empty(); }, 3000));
    EXPECT_GE(ticks.front() - written, 600u);

    // Negative counts as stopped.
    desk.setProperty(timer, prop::kPeriod, -5);
    EXPECT_EQ(desk.getProperty(timer, prop::kPeriod).asInt(), 0);
    const std::size_t before = ticks.size();
    pumpFor(1000);
    EXPECT_EQ(ticks.size(), before);
}

TEST_F(Win32Desktop, DestructionWaitsForTheHandlerAndForAMenuCommandPostedBeforeIt) {
    ASSERT_TRUE(desk.loadWindow(kPanel));
    const HWND panel = hwnd(kPanel);
    desk.overrideHandler(kPanel, EventKind::MenuChosen, "立即关机", [&](win32::Desktop& d, const EventArgs&) {
        seen.push_back(d.isLoaded(kPanel) ? "menu while loaded" : "menu after destruction");
        return true;
    });
    postMenuCommand(panel, kPanel, "立即关机");
    desk.destroyWindow(kPanel);
    desk.destroyWindow(kPanel);  // a second request changes nothing
    EXPECT_TRUE(desk.isLoaded(kPanel));
    EXPECT_TRUE(IsWindow(panel));

    desk.processPendingEvents();
    EXPECT_EQ(seen, (std::vector<std::string>{"menu while loaded", "destroyed PanelWindow"}));
    EXPECT_FALSE(desk.isLoaded(kPanel));
    EXPECT_FALSE(IsWindow(panel));
}

TEST_F(Win32Desktop, LoadAfterDestroyInOneHandlerReplacesTheWindow) {
    ASSERT_TRUE(desk.loadWindow(kPanel));
    const HWND first = hwnd(kPanel);
    int created = 0;
    desk.overrideHandler(kPanel, EventKind::Created, "", [&](win32::Desktop&, const EventArgs&) {
        ++created;
        return true;
    });
    bool reloaded = false;
    desk.overrideHandler(kPanel, EventKind::MenuChosen, "清空回收站", [&](win32::Desktop& d, const EventArgs&) {
        d.destroyWindow(kPanel);
        reloaded = d.loadWindow(kPanel);
        seen.push_back("handler done");
        return true;
    });
    postMenuCommand(first, kPanel, "清空回收站");
    desk.processPendingEvents();

    EXPECT_TRUE(reloaded);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"destroyed PanelWindow", "handler done"}));
    EXPECT_FALSE(IsWindow(first));
    // The request posted to the old window does not reach the new one.
    pumpFor(200);
    EXPECT_TRUE(desk.isLoaded(kPanel));
    EXPECT_NE(hwnd(kPanel), first);
    EXPECT_TRUE(IsWindowVisible(hwnd(kPanel)));
}

TEST_F(Win32Desktop, LoadingAnOpenWindowCreatesNoSecondOne) {
    int created = 0;
    desk.overrideHandler(kPanel, EventKind::Created, "", [&](win32::Desktop&, const EventArgs&) {
        ++created;
        return true;
    });
    ASSERT_TRUE(desk.loadWindow(kPanel));
    const HWND first = hwnd(kPanel);
    ShowWindow(first, SW_MINIMIZE);
    EXPECT_TRUE(desk.loadWindow(kPanel));
    EXPECT_EQ(created, 1);
    EXPECT_EQ(hwnd(kPanel), first);
    EXPECT_FALSE(IsIconic(first));
    const WindowId missing = kLock;
    EXPECT_FALSE(desk.loadWindow(kShutdown, &missing));  // parent not loaded
    EXPECT_FALSE(desk.isLoaded(kShutdown));
}

TEST_F(Win32Desktop, ProcessPendingEventsRunsQueuedInputAndCommandsNested) {
    ASSERT_TRUE(desk.loadWindow(kPanel));
    int depth = 0;
    std::vector<std::string> order;
    desk.overrideHandler(kPanel, EventKind::LeftUp, "桌面_图片框", [&](win32::Desktop&, const EventArgs& a) {
        order.push_back("click depth " + std::to_string(depth) + " at " + std::to_string(a.x) + "," +
                        std::to_string(a.y));
        return true;
    });
    desk.overrideHandler(kPanel, EventKind::MenuChosen, "清空回收站", [&](win32::Desktop& d, const EventArgs&) {
        order.push_back("menu depth " + std::to_string(depth));
        ++depth;
        d.processPendingEvents();  // nested once more: the click runs in here
        --depth;
        return true;
    });
    bool ticked = false;
    desk.overrideHandler(kPanel, EventKind::Tick, "时钟_淡出淡入", [&](win32::Desktop& d, const EventArgs&) {
        if (ticked) return true;
        ticked = true;
        postMenuCommand(hwnd(kPanel), kPanel, "清空回收站");
        PostMessageW(hwnd(kPanel, "桌面_图片框"), WM_LBUTTONUP, 0, MAKELPARAM(7, 9));
        ++depth;
        d.processPendingEvents();
        --depth;
        order.push_back("tick returns");
        return true;
    });
    ASSERT_TRUE(pumpUntil([&] { return order.size() >= 3; }));
    EXPECT_EQ(order, (std::vector<std::string>{"menu depth 1", "click depth 2 at 7,9", "tick returns"}));
}

TEST_F(Win32Desktop, AModalWindowDisablesTheOthersUntilItIsDestroyed) {
    ASSERT_TRUE(desk.loadWindow(kIcon));
    ASSERT_TRUE(desk.loadWindow(kPanel));
    ASSERT_TRUE(desk.loadWindow(kShutdown, nullptr, true));
    EXPECT_FALSE(IsWindowEnabled(hwnd(kIcon)));
    EXPECT_FALSE(IsWindowEnabled(hwnd(kPanel)));
    EXPECT_TRUE(IsWindowEnabled(hwnd(kShutdown)));
    // Keys sent to a disabled window raise nothing.
    int keys = 0;
    desk.overrideHandler(kIcon, EventKind::KeyDown, "", [&](win32::Desktop&, const EventArgs&) {
        return ++keys, true;
    });
    PostMessageW(hwnd(kIcon), WM_KEYDOWN, 'A', 0);
    desk.processPendingEvents();
    EXPECT_EQ(keys, 0);
    desk.destroyWindow(kShutdown);
    desk.processPendingEvents();
    EXPECT_TRUE(IsWindowEnabled(hwnd(kIcon)));
    EXPECT_TRUE(IsWindowEnabled(hwnd(kPanel)));
    PostMessageW(hwnd(kIcon), WM_KEYDOWN, 'A', 0);
    desk.processPendingEvents();
    EXPECT_EQ(keys, 1);
}

struct Clamp {
    int index, written, expected;
};

TEST_F(Win32Desktop, GeometryWritesClampAndStoredWritesShapeTheNextLoad) {
    const Clamp cases[] = {
        {prop::kLeft, 40000, 32627}, {prop::kLeft, -40000, -32627}, {prop::kTop, 32628, 32627},
        {prop::kWidth, -5, 0},       {prop::kWidth, 99999, 32627},  {prop::kHeight, -1, 0},
    };
    for (const Clamp& c : cases) {
        desk.setProperty(win(kLock), c.index, c.written);
        EXPECT_EQ(desk.getProperty(win(kLock), c.index).asInt(), c.expected)
            << "index " << c.index << " written " << c.written;
        desk.setProperty(control(kLock, "标签_时间"), c.index, c.written);
        EXPECT_EQ(desk.getProperty(control(kLock, "标签_时间"), c.index).asInt(), c.expected);
    }
    // The stored copy is what the next load uses.
    desk.setProperty(win(kLock), prop::kLeft, 30);
    desk.setProperty(win(kLock), prop::kTop, 40);
    desk.setProperty(win(kLock), prop::kWidth, 300);
    desk.setProperty(win(kLock), prop::kHeight, 200);
    desk.setProperty(control(kPanel, "编辑框1"), prop::kVisible, false);
    ASSERT_TRUE(desk.loadWindow(kLock));
    ASSERT_TRUE(desk.loadWindow(kPanel));
    RECT r{};
    GetWindowRect(hwnd(kLock), &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
    EXPECT_FALSE(IsWindowVisible(hwnd(kPanel, "编辑框1")));

    // Loaded: the real window moves; a control's size clamps at 0.
    desk.setProperty(win(kLock), prop::kLeft, -40000);
    GetWindowRect(hwnd(kLock), &r);
    EXPECT_EQ(r.left, -32627);
    desk.setProperty(control(kPanel, "标签2"), prop::kWidth, -7);
    EXPECT_EQ(desk.getProperty(control(kPanel, "标签2"), prop::kWidth).asInt(), 0);
}

TEST_F(Win32Desktop, WhatHandlersChangeIsDiscardedWithTheWindow) {
    ASSERT_TRUE(desk.loadWindow(kPanel));
    desk.setProperty(control(kPanel, "编辑框1"), prop::kText, Value("typed"));
    desk.setProperty(menuItem(kPanel, "立即关机"), prop::kItemCaption, Value("changed"));
    desk.setProperty(control(kPanel, "时钟_淡出淡入"), prop::kPeriod, 0);
    EXPECT_EQ(desk.getProperty(control(kPanel, "编辑框1"), prop::kText).asText(), "typed");
    desk.destroyWindow(kPanel);
    desk.processPendingEvents();
    ASSERT_FALSE(desk.isLoaded(kPanel));
    EXPECT_EQ(desk.getProperty(menuItem(kPanel, "立即关机"), prop::kItemCaption).asText(), "立即关机");
    ASSERT_TRUE(desk.loadWindow(kPanel));
    EXPECT_EQ(desk.getProperty(control(kPanel, "编辑框1"), prop::kText).asText(), "百度搜索");
    EXPECT_EQ(desk.getProperty(control(kPanel, "时钟_淡出淡入"), prop::kPeriod).asInt(), 60);
}

TEST_F(Win32Desktop, NoFocusHandlerRunsForAWindowBeingDestroyed) {
    ASSERT_TRUE(desk.loadWindow(kPanel));
    for (EventKind e : {EventKind::GotFocus, EventKind::LostFocus})
        desk.overrideHandler(kPanel, e, "编辑框1", [&, e](win32::Desktop&, const EventArgs&) {
            seen.push_back(e == EventKind::GotFocus ? "got focus" : "lost focus");
            return true;
        });
    SetForegroundWindow(hwnd(kPanel));
    SetFocus(hwnd(kPanel, "编辑框1"));
    ASSERT_EQ(GetFocus(), hwnd(kPanel, "编辑框1"));
    desk.destroyWindow(kPanel);
    desk.processPendingEvents();
    EXPECT_EQ(seen, (std::vector<std::string>{"got focus", "destroyed PanelWindow"}));
}

TEST_F(Win32Desktop, CloseRequestsAskTheCanCloseHandlerAndEscClosesWhereTheUnitSays) {
    ASSERT_TRUE(desk.loadWindow(kShutdown));
    bool allow = false;
    desk.overrideHandler(kShutdown, EventKind::CanClose, "", [&](win32::Desktop&, const EventArgs&) {
        seen.push_back("asked");
        return allow;
    });
    SendMessageW(hwnd(kShutdown), WM_CLOSE, 0, 0);
    EXPECT_TRUE(desk.isLoaded(kShutdown));
    allow = true;
    PostMessageW(hwnd(kShutdown, "小时_编辑框"), WM_KEYDOWN, VK_ESCAPE, 0);
    desk.processPendingEvents();
    EXPECT_FALSE(desk.isLoaded(kShutdown));
    EXPECT_EQ(seen, (std::vector<std::string>{"asked", "asked", "destroyed ShutdownWindow"}));

    // The icon's unit makes no close key of Esc.
    ASSERT_TRUE(desk.loadWindow(kIcon));
    int keys = 0;
    desk.overrideHandler(kIcon, EventKind::KeyDown, "", [&](win32::Desktop&, const EventArgs& a) {
        keys += a.key == VK_ESCAPE;
        return true;
    });
    PostMessageW(hwnd(kIcon), WM_KEYDOWN, VK_ESCAPE, 0);
    desk.processPendingEvents();
    EXPECT_EQ(keys, 1);
    EXPECT_TRUE(desk.isLoaded(kIcon));
}

TEST_F(Win32Desktop, ShortIntegerBoxRewritesItsTextOnLosingTheFocus) {
    ASSERT_TRUE(desk.loadWindow(kShutdown));
    const UiTarget hour = control(kShutdown, "小时_编辑框");
    const struct {
        const char* typed;
        const char* after;
    } cases[] = {{"007", "7"}, {"-", ""}, {"0", ""}, {"99999", "32767"}, {"-40000", "-32768"}, {"12-3", "12"}};
    SetForegroundWindow(hwnd(kShutdown));
    for (const auto& c : cases) {
        desk.setProperty(hour, prop::kText, Value(c.typed));
        SetFocus(hwnd(kShutdown, "小时_编辑框"));
        SetFocus(hwnd(kShutdown, "分钟_编辑框"));
        EXPECT_EQ(desk.getProperty(hour, prop::kText).asText(), c.after) << c.typed;
    }
    // Typed characters other than digits and "-" never reach the integer boxes.
    desk.setProperty(control(kShutdown, "分钟_编辑框"), prop::kText, Value(""));
    for (wchar_t ch : {L'4', L'x', L'-', L'.', L'2'})
        SendMessageW(hwnd(kShutdown, "分钟_编辑框"), WM_CHAR, ch, 0);
    EXPECT_EQ(desk.getProperty(control(kShutdown, "分钟_编辑框"), prop::kText).asText(), "4-2");
}

}  // namespace
