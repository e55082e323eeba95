// A week of virtual time on the in-memory desktop: the pointer wanders, panels open
// and close, themes switch, watched programs come and go, and locks come at their
// hours. Checks that every lock starts when it should and lasts its 902 ticks, that
// the shared state stays consistent, and that nothing piles up.
#include <gtest/gtest.h>

#include <random>

#include "app/startup.h"
#include "platform/memory/desktop.h"

namespace {

using memory::Desktop;
constexpr WindowId kIcon = WindowId::IconWindow;
constexpr WindowId kPanel = WindowId::PanelWindow;
constexpr WindowId kLock = WindowId::LockWindow;

struct Lock {
    std::uint64_t startMs = 0, endMs = 0;
    DateTime start;
    int expectedHour = -1;  // -1: started from the menu
    bool unlocked = false;
};

void putDesktopFiles(Desktop& desk) {
    for (int n = 1; n <= 20; ++n)
        desk.putFile("C:\\Tools\\黑图标\\黑图标" + toText(n) + ".png", "black frame " + toText(n));
    for (int n = 1; n <= 18; ++n)
        desk.putFile("C:\\Tools\\蓝图标\\蓝图标" + toText(n) + ".png", "blue frame " + toText(n));
    for (int n = 1; n <= 60; ++n)
        desk.putFile("D:\\Vantrel\\壁纸\\sky-" + toText(n) + ".jpg", "sky " + toText(n));
    desk.putFile("E:\\CloudMusic\\Miravel - 这一生关于你的风景.mp3", "song");
}

void expectConsistent(const AppState& s, Desktop& desk, bool locked) {
    ASSERT_TRUE(s.autoPopup == 0 || s.autoPopup == 1);
    ASSERT_TRUE(s.menuShown == 0 || s.menuShown == 1);
    ASSERT_TRUE(s.breathRising == 0 || s.breathRising == 1);
    ASSERT_GE(s.restBaseHour, 0);
    ASSERT_LE(s.restBaseHour, 23);
    if (s.iconTheme == "黑图标") {
        ASSERT_EQ(s.iconFrameCount, 20);
    } else {
        ASSERT_EQ(s.iconTheme, "蓝图标");
        ASSERT_EQ(s.iconFrameCount, 18);
    }
    ASSERT_GE(s.iconFrame, 0);
    ASSERT_LE(s.iconFrame, 20);
    ASSERT_GE(s.panelAlpha, -22);
    ASSERT_LE(s.panelAlpha, 239);
    if (locked) {
        ASSERT_GE(s.lockMinutesLeft, -1);
        ASSERT_LE(s.lockMinutesLeft, 15);
        ASSERT_GE(s.lockSecondsLeft, 1);
        ASSERT_LE(s.lockSecondsLeft, 60);
        ASSERT_GE(s.wallpaperCountdown, 1);
        ASSERT_LE(s.wallpaperCountdown, 60);
        ASSERT_FALSE(desk.taskbarVisible());
    } else {
        ASSERT_TRUE(desk.taskbarVisible());
        ASSERT_EQ(desk.mp3State(), Desktop::Mp3State::None);
    }
    // Nothing piles up: at most the four windows' timers, a handful of queued events.
    ASSERT_LE(desk.runningTimerCount(), 9);
    ASSERT_LE(desk.pendingCount(), 8u);
    ASSERT_TRUE(desk.misuses.empty()) << desk.misuses.front().what;
}

TEST(WeekSimulation, LocksComeAtTheirHoursAndNothingPilesUp) {
    Desktop desk(1920, 1080);
    desk.keepRecords = false;
    desk.setLocalTime(2026, 12, 7, 8, 10, 0);  // a Monday morning
    putDesktopFiles(desk);
    AppState state;
    ASSERT_TRUE(startWidget(desk, state));

    std::mt19937 rng(20261207);
    auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };
    int expectedHour = (8 + 2) % 24;
    std::vector<Lock> locks;
    bool locked = false, watched = false;
    int previousHour = 8;
    int panelsOpened = 0, menuLocks = 0, themeSwitches = 0, unlocks = 0, postponements = 0;

    const std::uint64_t week = 7ull * 24 * 3600 * 1000;
    const std::uint64_t start = desk.now();
    while (desk.now() - start < week) {
        desk.advance(1000);
        DateTime now = desk.currentTime();
        const bool lockUp = desk.isLoaded(kLock);

        if (lockUp && !locked) {
            locks.push_back({desk.now(), 0, now, expectedHour, false});
        }
        if (!lockUp && locked) {
            locks.back().endMs = desk.now();
            expectedHour = (now.hour + 2) % 24;
        }
        locked = lockUp;

        // A watched program holds the lock off for an hour each time the rest check
        // meets it at the lock hour.
        if (now.hour != previousHour) {
            if (!locked && watched && now.hour == expectedHour) {
                expectedHour = (expectedHour + 1) % 24;
                ++postponements;
            }
            previousHour = now.hour;
        }
        if (now.minute == 30 && now.second == 0) {
            watched = now.day % 3 == 0 && now.hour >= 19 && now.hour <= 21;
            desk.processes = watched ? std::vector<Text>{"explorer.exe", "LeagueClient.exe"}
                                     : std::vector<Text>{"explorer.exe"};
        }

        ASSERT_NO_FATAL_FAILURE(expectConsistent(state, desk, locked));

        // The person at the desktop, roughly every ten seconds.
        if (now.second % 10 != 3) continue;
        if (locked) {
            if (now.second == 3 && chance(1)) {  // the emergency unlock now and then
                desk.answerNextMenu({.item = "紧急解锁"});
                desk.answerNextInputBox({.text = "quietforest", .afterMs = 4000});
                desk.rightRelease(win(kLock));
                locks.back().unlocked = true;
                ++unlocks;
            }
            continue;
        }
        if (now.hour == 15 && now.minute == 2 && now.second == 3) {  // 测试 once a day
            desk.answerNextMenu({.item = "测试"});
            desk.rightRelease(win(kIcon));
            ++menuLocks;
            continue;
        }
        const int iconLeft = desk.getProperty(win(kIcon), prop::kLeft).asInt();
        const int iconTop = desk.getProperty(win(kIcon), prop::kTop).asInt();
        int roll = static_cast<int>(rng() % 100);
        if (roll < 20) {
            desk.pointTo(iconLeft + 10, iconTop + 10);  // rest on the icon: the panel opens
            if (!desk.isLoaded(kPanel)) ++panelsOpened;
        } else if (roll < 25 && desk.isLoaded(kPanel)) {
            desk.leftRelease(control(kPanel, "系统盘_图片框"));
        } else if (roll < 27) {
            desk.answerNextMenu({.item = chance(50) ? "蓝图标" : "黑图标"});
            desk.rightRelease(win(kIcon));
            ++themeSwitches;
        } else {
            desk.pointTo(static_cast<int>(rng() % 1920), static_cast<int>(rng() % 1080));
        }
    }

    // Every lock but those from the menu came at its hour, within a second.
    int timed = 0;
    for (const Lock& l : locks) {
        if (l.endMs == 0) continue;  // still up when the week ended
        const std::uint64_t lasted = l.endMs - l.startMs;
        if (!l.unlocked) {
            EXPECT_GE(lasted, 901'000u) << "lock at day " << l.start.day << " " << l.start.hour;
            EXPECT_LE(lasted, 903'000u) << "lock at day " << l.start.day << " " << l.start.hour;
        }
        if (l.expectedHour >= 0 && l.start.minute == 0 && l.start.second <= 1) {
            EXPECT_EQ(l.start.hour, l.expectedHour);
            ++timed;
        } else if (l.expectedHour >= 0) {
            // Not at a full hour: only a lock started from the menu may do that.
            EXPECT_EQ(l.start.hour, 15) << "day " << l.start.day << " " << l.start.minute;
            EXPECT_EQ(l.start.minute, 2);
        }
    }
    // Two-hour work periods plus a quarter-hour lock: about ten locks a day.
    EXPECT_GE(timed, 60);
    EXPECT_GT(panelsOpened, 100);
    EXPECT_GT(themeSwitches, 100);
    EXPECT_GT(unlocks, 3);
    EXPECT_GT(postponements, 0);
    EXPECT_GT(menuLocks, 0);
    std::printf("week: %zu locks (%d at their hour, %d unlocked), %d panels, %d theme switches, "
                "%d postponements, %d from the menu\n",
                locks.size(), timed, unlocks, panelsOpened, themeSwitches, postponements, menuLocks);
}

}  // namespace
