// LockWindow on the in-memory desktop: daytime music, full-screen set-up, the clock and
// countdown, the seeded wallpaper cycle, staying on top, the space key, the emergency
// unlock (also when the countdown ends while its boxes are open) and the icon's return.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/memory/desktop.h"
#include "restlock/lock_window.h"
#include "restlock/rest_check.h"
#include "units/unit.h"

namespace {

constexpr WindowId kIcon = WindowId::IconWindow;
constexpr WindowId kLock = WindowId::LockWindow;
const Text kMusic = "E:\\CloudMusic\\Miravel - 这一生关于你的风景.mp3";
const Text kWallpaperPrefix = "D:\\Vantrel\\壁纸\\sky-";
const Text kPassword = "quietforest";

Text wallpaperPath(int n) { return kWallpaperPrefix + std::to_string(n) + ".jpg"; }
Bytes wallpaperBytes(int n) { return "jpeg of sky " + std::to_string(n); }

// Records the files asked for, and lets a test copy the random generator so that it
// can replay what the lock will draw.
struct LockDesktop : memory::Desktop {
    using memory::Desktop::Desktop;
    struct Read {
        Text path;
        std::uint64_t at;
    };
    std::vector<Read> reads;
    Bytes readFile(const Text& path) override {
        reads.push_back({path, now()});
        return Desktop::readFile(path);
    }
    RandomGenerator generator() const { return random_; }

    std::vector<Read> wallpaperReads() const {
        std::vector<Read> out;
        for (const auto& r : reads)
            if (r.path.rfind(kWallpaperPrefix, 0) == 0) out.push_back(r);
        return out;
    }
};

// One desktop with the icon loaded; tables make one per case.
struct LockSession {
    LockDesktop desk{1366, 768};
    AppState state;
    std::uint64_t lockedAt = 0;

    // The icon awake at the given time, the wallpapers and the song on the disks.
    void iconAwakeAt(int h, int m, int s) {
        desk.setLocalTime(2026, 12, 11, h, m, s);
        desk.attachState(state);
        ASSERT_TRUE(desk.loadWindow(kIcon));
        for (int n = 1; n <= 60; ++n) desk.putFile(wallpaperPath(n), wallpaperBytes(n));
        desk.putFile(kMusic, "ID3 song");
    }
    void lockAt(int h, int m, int s) {
        iconAwakeAt(h, m, s);
        restlock::startRestLock(desk, state);
        ASSERT_TRUE(desk.isLoaded(kLock));
        lockedAt = desk.now();
    }
    // Runs the clock timer up to and including its tick number n.
    void runToTick(int n) { desk.advance(lockedAt + 1000ull * n - desk.now()); }

    Text label(const char* name) { return desk.liveControl(kLock, name)->text; }
    int onTopPeriod() { return desk.liveControl(kLock, "时钟_总在最前")->period; }
    int iconTimer(const char* name) {
        return desk.getProperty(control(kIcon, name), prop::kPeriod).asInt();
    }
    int lockEndings() {
        int n = 0;
        for (const auto& e : desk.events) n += e.rfind("LockWindow WillBeDestroyed", 0) == 0;
        return n;
    }
    void chooseEmergencyUnlock(std::optional<Text> password, std::uint64_t boxOpenMs = 0) {
        desk.answerNextMenu({.item = Text("紧急解锁")});
        desk.answerNextInputBox({.text = std::move(password), .afterMs = boxOpenMs});
        desk.rightRelease(win(kLock));
    }
    void leftClickLock() { desk.leftRelease(win(kLock)); }
};

struct Lock : ::testing::Test, LockSession {};

// What the countdown label shows after clock tick t, worked out from the minutes and
// seconds the lock counts down, independently of the handler's own bookkeeping.
Text expectedCountdown(int tick) {
    if (tick == 1) return "解锁时间：";
    if ((tick - 1) % 60 == 0) return expectedCountdown(tick - 1);  // "01" stays a second tick
    const int minutes = 14 - (tick - 2) / 60;
    const int seconds = 59 - (tick - 2) % 60;
    return "解锁时间：" + std::to_string(minutes) + (seconds < 10 ? "：0" : "：") +
           std::to_string(seconds);
}

TEST_F(Lock, MusicPlaysFromEightToTwentyOneOnly) {
    struct Case {
        int h, m;
        bool plays;
        int musicPlayingBefore;
    } cases[] = {{7, 59, false, 1}, {8, 0, true, 0}, {21, 59, true, 0}, {22, 0, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.h) + ":" + std::to_string(c.m));
        auto session = std::make_unique<LockSession>();
        session->state.musicPlaying = c.musicPlayingBefore;
        session->lockAt(c.h, c.m, 0);
        const LockDesktop& d = session->desk;
        bool started = false;
        for (const auto& s : d.sounds) started = started || (s.kind == memory::SoundEvent::Mp3 && s.detail == kMusic);
        EXPECT_EQ(started, c.plays);
        EXPECT_EQ(d.mp3State() == memory::Desktop::Mp3State::Playing, c.plays);
        // Without music the flag keeps whatever it held.
        EXPECT_EQ(session->state.musicPlaying, c.plays ? 1 : c.musicPlayingBefore);
    }
}

TEST_F(Lock, CoversTheScreenHidesTheTaskbarAndRaisesItselfEvery80Ms) {
    lockAt(10, 0, 0);
    const memory::LiveWindow* w = desk.window(kLock);
    EXPECT_EQ(w->left, 0);
    EXPECT_EQ(w->top, 0);
    EXPECT_EQ(w->width, 1366);
    EXPECT_EQ(w->height, 768);
    EXPECT_FALSE(desk.taskbarVisible());
    EXPECT_EQ(onTopPeriod(), 80);
    EXPECT_EQ(label("标签_时间"), "19:13");
    EXPECT_EQ(label("标签_计时"), "解锁时间：");

    desk.broughtToTop.clear();
    desk.advance(800);
    EXPECT_EQ(desk.broughtToTop, std::vector<WindowHandle>(10, desk.window(kLock)->handle));
    EXPECT_TRUE(desk.inTopmostBand(kLock));
    EXPECT_TRUE(desk.getProperty(win(kLock), prop::kAlwaysOnTop).asBool());
}

TEST_F(Lock, CountdownShowsEveryValueDownToZeroOneAndEndsOnTick902) {
    desk.keepRecords = false;  // 900 s of raising every 80 ms
    lockAt(10, 0, 0);
    for (int tick = 1; tick <= 901; ++tick) {
        runToTick(tick);
        ASSERT_EQ(label("标签_计时"), expectedCountdown(tick)) << "tick " << tick;
        ASSERT_EQ(label("标签_计时").find("：00"), Text::npos);
    }
    // Spot checks of the worked table itself.
    EXPECT_EQ(expectedCountdown(2), "解锁时间：14：59");
    EXPECT_EQ(expectedCountdown(52), "解锁时间：14：09");
    EXPECT_EQ(expectedCountdown(61), "解锁时间：14：01");
    EXPECT_EQ(expectedCountdown(62), "解锁时间：13：59");
    EXPECT_EQ(expectedCountdown(901), "解锁时间：0：01");

    EXPECT_TRUE(desk.isLoaded(kLock));
    EXPECT_EQ(state.lockMinutesLeft, -1);
    desk.advance(999);
    EXPECT_TRUE(desk.isLoaded(kLock));
    desk.advance(1);  // tick 902 asks for the destruction; it follows right after
    EXPECT_FALSE(desk.isLoaded(kLock));
    EXPECT_TRUE(desk.getProperty(win(kIcon), prop::kVisible).asBool());
    EXPECT_TRUE(desk.misuses.empty());
}

TEST_F(Lock, ClockLabelShowsHourAndTwoDigitMinute) {
    struct Case {
        int h, m, s, tick;
        Text shown;
    } cases[] = {{9, 4, 58, 1, "9:04"}, {9, 4, 58, 2, "9:05"}, {14, 29, 50, 11, "14:30"},
                 {23, 59, 59, 1, "0:00"}, {12, 9, 59, 1, "12:10"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        auto session = std::make_unique<LockSession>();
        session->lockAt(c.h, c.m, c.s);
        session->runToTick(c.tick);
        EXPECT_EQ(session->label("标签_时间"), c.shown);
        EXPECT_EQ(session->state.clockMinute, session->desk.currentTime().minute);
    }
}

TEST_F(Lock, WallpapersComeFromTheGeneratorSeededWhenTheLockStarts) {
    desk.keepRecords = false;
    iconAwakeAt(10, 0, 0);
    desk.advance(1234);  // the seed is the tick count at the start of the lock
    RandomGenerator replay = desk.generator();
    replay.seedFromTick(desk.tickCount());
    restlock::startRestLock(desk, state);
    lockedAt = desk.now();
    EXPECT_EQ(desk.window(kLock)->backPicture, resource("lock_wallpaper.jpg"));

    std::vector<std::uint64_t> changedAt;
    for (int tick = 1; tick <= 901; ++tick) {
        runToTick(tick);
        const auto reads = desk.wallpaperReads();
        if (reads.size() == changedAt.size()) continue;
        ASSERT_EQ(reads.size(), changedAt.size() + 1) << "tick " << tick;
        changedAt.push_back((reads.back().at - lockedAt) / 1000);
        const int n = replay.inRange(1, 60);
        EXPECT_EQ(reads.back().path, wallpaperPath(n)) << "tick " << tick;
        EXPECT_EQ(desk.window(kLock)->backPicture, wallpaperBytes(n)) << "tick " << tick;
    }
    std::vector<std::uint64_t> expected;
    for (int k = 0; k <= 15; ++k) expected.push_back(60 * k + 1);
    EXPECT_EQ(changedAt, expected);
}

TEST_F(Lock, MissingWallpaperLeavesNoPicture) {
    lockAt(10, 0, 0);
    for (int n = 1; n <= 60; ++n) desk.removeFile(wallpaperPath(n));
    runToTick(1);
    EXPECT_EQ(desk.wallpaperReads().size(), 1u);
    EXPECT_TRUE(desk.window(kLock)->backPicture.empty());
}

TEST_F(Lock, MenuWallpaperChangeKeepsTheSixtyTickCycle) {
    lockAt(10, 0, 0);
    runToTick(30);
    desk.advance(500);
    desk.answerNextMenu({.item = Text("切换壁纸")});
    desk.rightRelease(win(kLock));
    ASSERT_FALSE(desk.menus.empty());
    EXPECT_EQ(desk.menus.back().owner, kLock);
    EXPECT_EQ(desk.menus.back().items, (std::vector<Text>{"切换壁纸", "紧急解锁"}));
    runToTick(121);

    std::vector<std::uint64_t> at;
    for (const auto& r : desk.wallpaperReads()) at.push_back(r.at - lockedAt);
    EXPECT_EQ(at, (std::vector<std::uint64_t>{1000, 30500, 61000, 121000}));
    EXPECT_EQ(desk.window(kLock)->backPicture, desk.readFile(desk.wallpaperReads().back().path));
}

TEST_F(Lock, LeftClickStopsRaisingAndACancelledUnlockRaisesOnceASecond) {
    lockAt(10, 0, 0);
    desk.advance(400);
    leftClickLock();
    EXPECT_EQ(onTopPeriod(), 0);
    EXPECT_FALSE(desk.getProperty(win(kLock), prop::kAlwaysOnTop).asBool());
    EXPECT_FALSE(desk.inTopmostBand(kLock));
    desk.broughtToTop.clear();
    desk.advance(3000);
    EXPECT_TRUE(desk.broughtToTop.empty());

    chooseEmergencyUnlock(std::nullopt);
    ASSERT_EQ(desk.inputBoxes.size(), 1u);
    EXPECT_EQ(onTopPeriod(), 1000);
    desk.advance(3000);
    EXPECT_EQ(desk.broughtToTop.size(), 3u);
    EXPECT_TRUE(desk.inTopmostBand(kLock));
    EXPECT_TRUE(desk.isLoaded(kLock));
    EXPECT_TRUE(desk.messageBoxes.empty());

    leftClickLock();  // the once-a-second state stops the same way
    desk.broughtToTop.clear();
    desk.advance(3000);
    EXPECT_TRUE(desk.broughtToTop.empty());
}

TEST_F(Lock, EmergencyUnlockAnswersInEveryOnTopState) {
    enum class OnTop { Raising, Stopped, RaisingSlowly };
    struct Case {
        OnTop onTop;
        int period;
        std::optional<Text> typed;
        bool unlocks;
    } cases[] = {
        {OnTop::Raising, 80, kPassword, true},
        {OnTop::Stopped, 0, kPassword, true},
        {OnTop::RaisingSlowly, 1000, kPassword, true},
        {OnTop::Raising, 80, Text("QuietForest"), false},
        {OnTop::Stopped, 0, Text("QUIETFOREST"), false},
        {OnTop::RaisingSlowly, 1000, Text("quietforesT"), false},
        {OnTop::Raising, 80, Text("quietforest "), false},
        {OnTop::Stopped, 0, Text(""), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("period " + std::to_string(c.period) + ", typed " + *c.typed);
        auto s = std::make_unique<LockSession>();
        s->lockAt(10, 0, 0);
        s->desk.advance(2500);
        if (c.onTop != OnTop::Raising) s->leftClickLock();
        if (c.onTop == OnTop::RaisingSlowly) s->chooseEmergencyUnlock(std::nullopt);
        ASSERT_EQ(s->onTopPeriod(), c.period);
        const std::size_t boxes = s->desk.inputBoxes.size();

        s->chooseEmergencyUnlock(c.typed);
        ASSERT_EQ(s->desk.inputBoxes.size(), boxes + 1);
        const memory::InputBoxCall& box = s->desk.inputBoxes.back();
        EXPECT_EQ(box.prompt, "请输入解锁密码：");
        EXPECT_EQ(box.title, "提示信息：");
        EXPECT_EQ(box.initial, "");
        EXPECT_TRUE(box.password);
        EXPECT_EQ(box.owner, kLock);
        EXPECT_EQ(s->desk.isLoaded(kLock), !c.unlocks);
        if (c.unlocks) {
            EXPECT_TRUE(s->desk.messageBoxes.empty());
            continue;
        }
        ASSERT_EQ(s->desk.messageBoxes.size(), 1u);
        EXPECT_EQ(s->desk.messageBoxes[0].message, "密码错误");
        EXPECT_EQ(s->desk.messageBoxes[0].buttons, msgbox::kOk);
        EXPECT_EQ(s->desk.messageBoxes[0].title, "信息：");
        EXPECT_EQ(s->onTopPeriod(), c.period);  // the lock goes on as it was
    }
}

TEST_F(Lock, RightPasswordBringsTheIconBackAndStartsTheNextWorkPeriod) {
    iconAwakeAt(9, 58, 30);
    state.restBaseHour = 7;
    restlock::startRestLock(desk, state);
    lockedAt = desk.now();
    runToTick(120);  // now 10:00:30
    ASSERT_EQ(desk.mp3State(), memory::Desktop::Mp3State::Playing);

    chooseEmergencyUnlock(kPassword);
    EXPECT_FALSE(desk.isLoaded(kLock));
    EXPECT_EQ(lockEndings(), 1);
    EXPECT_EQ(iconTimer("时钟_呼吸灯"), 120);
    EXPECT_EQ(iconTimer("时钟_自动贴边"), 800);
    EXPECT_EQ(iconTimer("时钟_收缩窗口"), 40);
    EXPECT_EQ(iconTimer("时钟_锁屏窗"), 1000);
    EXPECT_EQ(iconTimer("时钟_切换壁纸"), 0);
    EXPECT_TRUE(desk.getProperty(win(kIcon), prop::kVisible).asBool());
    EXPECT_TRUE(desk.taskbarVisible());
    EXPECT_EQ(desk.mp3State(), memory::Desktop::Mp3State::None);
    EXPECT_EQ(desk.sounds.back().kind, memory::SoundEvent::StopAll);
    EXPECT_EQ(state.restBaseHour, 10);
    EXPECT_TRUE(desk.misuses.empty());
}

TEST_F(Lock, SpacePausesAndResumesTheMusic) {
    struct Case {
        int hour;
        bool music;
    } cases[] = {{10, true}, {23, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hour);
        auto s = std::make_unique<LockSession>();
        s->lockAt(c.hour, 0, 0);
        using State = memory::Desktop::Mp3State;
        const State playing = c.music ? State::Playing : State::None;
        const State paused = c.music ? State::Paused : State::None;
        s->desk.pressKey(win(kLock), 65);  // other keys do nothing
        s->desk.pressKey(win(kLock), 13);
        EXPECT_EQ(s->desk.mp3State(), playing);
        EXPECT_EQ(s->state.musicPlaying, c.music ? 1 : 0);

        s->desk.pressKey(win(kLock), 32);
        EXPECT_EQ(s->desk.mp3State(), c.music ? paused : State::None);
        EXPECT_EQ(s->state.musicPlaying, c.music ? 0 : 1);
        s->desk.pressKey(win(kLock), 32);
        EXPECT_EQ(s->desk.mp3State(), playing);
        EXPECT_EQ(s->state.musicPlaying, c.music ? 1 : 0);
    }
}

TEST_F(Lock, CountdownEndingWhileADialogIsOpenEndsTheLockOnce) {
    struct Case {
        const char* what;
        std::optional<Text> typed;
        std::uint64_t inputOpenMs, messageOpenMs, menuOpenMs;
    } cases[] = {
        {"cancel answered after the end", std::nullopt, 5000, 0, 0},
        {"password answered after the end", kPassword, 5000, 0, 0},
        {"wrong password, message box open across the end", Text("nope"), 0, 5000, 0},
        {"menu open across the end", kPassword, 0, 0, 5000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = std::make_unique<LockSession>();
        s->lockAt(10, 0, 0);
        s->runToTick(899);
        s->desk.advance(500);
        s->desk.answerNextMenu({.item = Text("紧急解锁"), .afterMs = c.menuOpenMs});
        s->desk.answerNextInputBox({.text = c.typed, .afterMs = c.inputOpenMs});
        s->desk.answerNextMessageBox({.afterMs = c.messageOpenMs});
        s->desk.rightRelease(win(kLock));
        s->desk.advance(3000);

        EXPECT_FALSE(s->desk.isLoaded(kLock));
        EXPECT_EQ(s->lockEndings(), 1);
        EXPECT_TRUE(s->desk.misuses.empty()) << s->desk.misuses.front().what;
        EXPECT_TRUE(s->desk.getProperty(win(kIcon), prop::kVisible).asBool());
        EXPECT_EQ(s->iconTimer("时钟_锁屏窗"), 1000);
    }
}

TEST_F(Lock, AnswerFromAnOldLockLeavesTheNextLockAlone) {
    desk.keepRecords = false;
    lockAt(9, 58, 0);
    runToTick(899);
    // The box stays open past the end at 10:13 and into the next lock at 12:00.
    chooseEmergencyUnlock(std::nullopt, 112ull * 60 * 1000);
    ASSERT_EQ(desk.currentTime().hour, 12);
    ASSERT_TRUE(desk.isLoaded(kLock));
    EXPECT_EQ(desk.createdCount(kLock), 2);
    EXPECT_EQ(onTopPeriod(), 80);
    EXPECT_TRUE(desk.misuses.empty());
}

TEST_F(Lock, EachLockStartsFromTheUnitsTextsAndPicture) {
    lockAt(10, 0, 0);
    runToTick(75);
    leftClickLock();
    ASSERT_NE(label("标签_计时"), "解锁时间：");
    ASSERT_NE(desk.window(kLock)->backPicture, resource("lock_wallpaper.jpg"));
    chooseEmergencyUnlock(kPassword);
    ASSERT_FALSE(desk.isLoaded(kLock));

    restlock::startRestLock(desk, state);
    lockedAt = desk.now();
    EXPECT_EQ(label("标签_时间"), "19:13");
    EXPECT_EQ(label("标签_计时"), "解锁时间：");
    EXPECT_EQ(label("标签_提示"), "玩电脑太久了，活动一下把！");
    EXPECT_EQ(desk.window(kLock)->backPicture, resource("lock_wallpaper.jpg"));
    EXPECT_EQ(onTopPeriod(), 80);
    runToTick(2);
    EXPECT_EQ(label("标签_计时"), "解锁时间：14：59");
    EXPECT_EQ(desk.wallpaperReads().size(), 3u);  // ticks 1 and 61 of the first lock, 1 of this
}

}  // namespace
