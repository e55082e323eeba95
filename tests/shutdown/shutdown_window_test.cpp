// ShutdownWindow on the in-memory desktop: arming from the typed texts, refusing times
// the clock never shows, the tick that runs "shutdown -s" during the armed minute, and
// the close request that hides an armed window or asks before closing an unarmed one.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/memory/desktop.h"
#include "shutdown/shutdown_window.h"

namespace {

constexpr WindowId kWindow = WindowId::ShutdownWindow;
const UiTarget kHourBox = control(kWindow, "小时_编辑框");
const UiTarget kMinuteBox = control(kWindow, "分钟_编辑框");
constexpr int kEnter = 13;
const Text kHourRefusal = "别瞎搞已经超出24小时了！！！";
const Text kMinuteRefusal = "别瞎搞已经超出60分钟了！！！";

struct ShutdownSession {
    memory::Desktop desk;
    AppState state;

    ShutdownSession() {
        desk.setLocalTime(2026, 12, 11, 21, 29, 0);
        desk.attachState(state);
        desk.loadWindow(kWindow);
    }
    // The boxes hold "20" from the unit; the person clears them and types anew.
    void typeTime(const Text& hour, const Text& minute) {
        desk.setProperty(kHourBox, prop::kText, Text());
        desk.type(kHourBox, hour);
        desk.setProperty(kMinuteBox, prop::kText, Text());
        desk.type(kMinuteBox, minute);
    }
    void arm(const Text& hour, const Text& minute, const UiTarget& box = kHourBox) {
        typeTime(hour, minute);
        desk.pressKey(box, kEnter);
    }
    int timerPeriod() { return desk.liveControl(kWindow, "关机_时钟")->period; }
    const memory::LiveControl& armedLabel() { return *desk.liveControl(kWindow, "定时_标签"); }
    int shutdownRuns() {
        int n = 0;
        for (const auto& c : desk.commandLines) n += c.line == "shutdown -s" && !c.wait;
        return n;
    }
};

struct Shutdown : ::testing::Test, ShutdownSession {};

TEST_F(Shutdown, CreatedAtOpacity240AndUnarmed) {
    ASSERT_TRUE(desk.isLoaded(kWindow));
    EXPECT_EQ(desk.window(kWindow)->opacity, 240);
    ASSERT_EQ(desk.opacityWrites.size(), 1u);
    EXPECT_EQ(desk.opacityWrites[0].first, desk.window(kWindow)->handle);
    EXPECT_EQ(timerPeriod(), 0);
    EXPECT_FALSE(armedLabel().visible);
}

TEST_F(Shutdown, ArmsWithTheRawTypedTexts) {
    struct Case {
        Text hour, minute;
        bool enterInMinuteBox;
        int storedHour, storedMinute;
    } cases[] = {
        {"9", "5", false, 9, 5},
        {"09", "05", true, 9, 5},
        {"２１", "３０", false, 21, 30},  // full-width digits count as digits
        {"0", "0", true, 0, 0},
        {"23", "59", false, 23, 59},
        {"7点", "", false, 7, 0},  // a leading number is taken; no number is 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hour + " / " + c.minute);
        auto s = std::make_unique<ShutdownSession>();
        s->arm(c.hour, c.minute, c.enterInMinuteBox ? kMinuteBox : kHourBox);
        EXPECT_EQ(s->state.shutdownHour, c.storedHour);
        EXPECT_EQ(s->state.shutdownMinute, c.storedMinute);
        EXPECT_EQ(s->timerPeriod(), 1000);
        ASSERT_EQ(s->desk.messageBoxes.size(), 1u);
        const memory::MessageBoxCall& box = s->desk.messageBoxes[0];
        EXPECT_EQ(box.message,
                  "关机时间:  " + c.hour + " ：" + c.minute + "\r\n\r\n开始倒计时关机 ！！！");
        EXPECT_EQ(box.buttons, msgbox::kOk);
        EXPECT_EQ(box.title, "信息：");
        EXPECT_EQ(s->armedLabel().text, "已设定关机时间： " + c.hour + "：" + c.minute);
        EXPECT_TRUE(s->armedLabel().visible);
    }
    // The exact bytes of the one example, written out in full.
    auto s = std::make_unique<ShutdownSession>();
    s->arm("9", "5");
    EXPECT_EQ(s->desk.messageBoxes[0].message, "关机时间:  9 ：5\r\n\r\n开始倒计时关机 ！！！");
    EXPECT_EQ(s->armedLabel().text, "已设定关机时间： 9：5");
}

TEST_F(Shutdown, RefusesTimesTheClockNeverShowsAndChangesNothing) {
    struct Case {
        Text hour, minute;
        const Text& message;
    } cases[] = {
        {"25", "30", kHourRefusal}, {"24", "0", kHourRefusal},   {"-1", "0", kHourRefusal},
        {"99", "75", kHourRefusal}, {"9", "75", kMinuteRefusal}, {"9", "60", kMinuteRefusal},
        {"9", "-1", kMinuteRefusal},
    };
    for (bool armedBefore : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.hour + " / " + c.minute + (armedBefore ? ", armed before" : ""));
            auto s = std::make_unique<ShutdownSession>();
            if (armedBefore) s->arm("21", "30");
            const std::size_t boxes = s->desk.messageBoxes.size();
            const Text labelBefore = s->armedLabel().text;

            s->arm(c.hour, c.minute);
            EXPECT_FALSE(shutdown::armShutdown(s->desk, s->state, kEnter));
            ASSERT_EQ(s->desk.messageBoxes.size(), boxes + 2);
            const memory::MessageBoxCall& box = s->desk.messageBoxes[boxes];
            EXPECT_EQ(box.message, c.message);
            EXPECT_EQ(box.title, "提示信息：");
            EXPECT_EQ(box.buttons, msgbox::kOk);
            EXPECT_EQ(s->state.shutdownHour, armedBefore ? 21 : 0);
            EXPECT_EQ(s->state.shutdownMinute, armedBefore ? 30 : 0);
            EXPECT_EQ(s->timerPeriod(), armedBefore ? 1000 : 0);
            EXPECT_EQ(s->armedLabel().text, labelBefore);
            EXPECT_EQ(s->armedLabel().visible, armedBefore);
        }
    }
}

TEST_F(Shutdown, OnlyEnterArms) {
    typeTime("9", "5");
    for (int key : {65, 48, 32, 9}) {
        desk.pressKey(kHourBox, key);
        desk.pressKey(kMinuteBox, key);
        EXPECT_FALSE(shutdown::armShutdown(desk, state, key));
    }
    EXPECT_TRUE(desk.messageBoxes.empty());
    EXPECT_EQ(timerPeriod(), 0);
    EXPECT_FALSE(armedLabel().visible);
    EXPECT_EQ(state.shutdownHour, 0);
    EXPECT_EQ(desk.getProperty(kHourBox, prop::kText).asText(), "9");
    EXPECT_TRUE(shutdown::armShutdown(desk, state, kEnter));
}

TEST_F(Shutdown, RunsShutdownOnEveryTickOfTheArmedMinuteEvenWhenHidden) {
    arm("21", "30");  // at 21:29:00: the ticks fall on whole seconds
    desk.requestClose(kWindow);
    ASSERT_FALSE(desk.getProperty(win(kWindow), prop::kVisible).asBool());
    desk.advanceTo(21, 29, 59);
    EXPECT_EQ(shutdownRuns(), 0);
    desk.advanceTo(21, 30, 0);
    EXPECT_EQ(shutdownRuns(), 1);
    desk.advanceTo(21, 30, 59);
    EXPECT_EQ(shutdownRuns(), 60);
    desk.advanceTo(21, 31, 0);
    desk.advance(30'000);
    EXPECT_EQ(shutdownRuns(), 60);
    EXPECT_EQ(desk.commandLines.size(), 60u);
}

TEST_F(Shutdown, NoRunAtTheHourOrMinuteAlone) {
    arm("22", "29");  // 21:29 matches the minute, 22:00 the hour, neither both
    desk.advanceTo(22, 1, 0);
    EXPECT_EQ(shutdownRuns(), 0);
}

TEST_F(Shutdown, CloseWhileArmedOnlyHides) {
    arm("21", "45");
    const std::size_t boxes = desk.messageBoxes.size();
    desk.requestClose(kWindow);
    EXPECT_TRUE(desk.isLoaded(kWindow));
    EXPECT_FALSE(desk.getProperty(win(kWindow), prop::kVisible).asBool());
    EXPECT_EQ(desk.messageBoxes.size(), boxes);
    EXPECT_EQ(timerPeriod(), 1000);

    // Esc is a close key of this window and is answered the same way.
    desk.setProperty(win(kWindow), prop::kVisible, true);
    desk.pressKey(kHourBox, 27);
    EXPECT_TRUE(desk.isLoaded(kWindow));
    EXPECT_FALSE(desk.getProperty(win(kWindow), prop::kVisible).asBool());
    EXPECT_EQ(desk.messageBoxes.size(), boxes);
}

TEST_F(Shutdown, CloseWhileNotArmedAsksFirst) {
    struct Case {
        int answer;
        bool stays;
    } cases[] = {{msgbox::kResultOk, false}, {msgbox::kResultCancel, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        auto s = std::make_unique<ShutdownSession>();
        s->desk.answerNextMessageBox({.result = c.answer});
        s->desk.requestClose(kWindow);
        ASSERT_EQ(s->desk.messageBoxes.size(), 1u);
        EXPECT_EQ(s->desk.messageBoxes[0].message, "是否取消定时关机？");
        EXPECT_EQ(s->desk.messageBoxes[0].buttons, msgbox::kOkCancel);
        EXPECT_EQ(s->desk.messageBoxes[0].title, "信息：");
        EXPECT_EQ(s->desk.isLoaded(kWindow), c.stays);
        if (c.stays) {
            EXPECT_TRUE(s->desk.getProperty(win(kWindow), prop::kVisible).asBool());
        }
        EXPECT_TRUE(s->desk.misuses.empty());
    }
}

}  // namespace
