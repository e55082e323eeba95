// The rest check on the icon's rest timer (lock hour across midnight, postponement by
// watched programs), the start of a lock, and the process search over a snapshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/memory/desktop.h"
#include "restlock/lock_window.h"
#include "restlock/rest_check.h"

namespace {

constexpr WindowId kIcon = WindowId::IconWindow;
constexpr WindowId kLock = WindowId::LockWindow;
const char* const kIconTimers[] = {"时钟_呼吸灯", "时钟_自动贴边", "时钟_切换壁纸", "时钟_收缩窗口",
                                   "时钟_锁屏窗"};

// Remembers every property write, so the order of the lock's steps can be checked.
struct WriteRecordingDesktop : memory::Desktop {
    struct Write {
        UiTarget target;
        int index;
        Value value;
    };
    std::vector<Write> writes;
    void setProperty(const UiTarget& t, int index, const Value& v) override {
        writes.push_back({t, index, v});
        Desktop::setProperty(t, index, v);
    }
};

// One desktop with the icon loaded; tables make one per case.
struct IconSession {
    WriteRecordingDesktop desk;
    AppState state;

    // The icon loaded at h:m:s plus half a second, so its rest timer ticks at every
    // half second and "the first tick at or after the full hour" is not the hour itself.
    void iconAwakeAt(int h, int m, int s, int baseHour) {
        desk.setLocalTime(2026, 12, 11, h, m, s);
        desk.advance(500);
        desk.attachState(state);
        ASSERT_TRUE(desk.loadWindow(kIcon));
        state.restBaseHour = baseHour;  // whatever the icon's own set-up chose
    }
    void unlockWithPassword() {
        desk.answerNextMenu({.item = Text("紧急解锁")});
        desk.answerNextInputBox({.text = Text("quietforest")});
        desk.rightRelease(win(kLock));
    }
    int iconTimer(const char* name) {
        return desk.getProperty(control(kIcon, name), prop::kPeriod).asInt();
    }
};

struct RestCheck : ::testing::Test, IconSession {};

TEST(LockHour, WrapsPastMidnightWhateverTheBase) {
    struct Case {
        int base, lockHour;
    } cases[] = {{0, 2}, {9, 11}, {21, 23}, {22, 0}, {23, 1}, {24, 2}, {47, 1}, {-1, 1}, {-25, 1}};
    for (const Case& c : cases) EXPECT_EQ(restlock::lockHour(c.base), c.lockHour) << "base " << c.base;
}

TEST(RestTimer, LocksOnTheFirstTickAtOrAfterTheLockHourOnly) {
    struct Case {
        int base, lockHour;
    } cases[] = {{9, 11}, {21, 23}, {22, 0}, {23, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE("base " + std::to_string(c.base));
        auto session = std::make_unique<IconSession>();
        auto& desk = session->desk;
        session->iconAwakeAt((c.lockHour + 23) % 24, 58, 0, c.base);  // the hour before
        desk.advanceTo(c.lockHour, 0, 0);  // the last tick ran at hh-1:59:59.5
        EXPECT_FALSE(desk.isLoaded(kLock));
        desk.advance(499);
        EXPECT_FALSE(desk.isLoaded(kLock));
        desk.advance(1);  // hh:00:00.5
        EXPECT_TRUE(desk.isLoaded(kLock));
        EXPECT_EQ(desk.currentTime().hour, c.lockHour);
        EXPECT_EQ(session->iconTimer("时钟_锁屏窗"), 0);
    }
}

TEST(RestTimer, LockEndingRebasesTheNextLockToTheSecondFullHourAfter) {
    struct Case {
        int testH, testM, base;      // 测试 chosen then, with this base hour
        int endH, endM;              // lock ended by password then
        int baseAfter, nextLockHour;
    } cases[] = {{9, 30, 8, 9, 45, 9, 11}, {22, 58, 20, 23, 10, 23, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE("lock ended at " + std::to_string(c.endH) + ":" + std::to_string(c.endM));
        auto session = std::make_unique<IconSession>();
        auto& desk = session->desk;
        auto& state = session->state;
        session->iconAwakeAt(c.testH, c.testM, 0, c.base);
        restlock::startRestLock(desk, state);
        ASSERT_TRUE(desk.isLoaded(kLock));
        desk.advanceTo(c.endH, c.endM, 0);
        session->unlockWithPassword();
        ASSERT_FALSE(desk.isLoaded(kLock));
        EXPECT_EQ(state.restBaseHour, c.baseAfter);

        desk.advanceTo((c.nextLockHour + 23) % 24, 59, 59);  // the rest ticks now fall on whole seconds
        EXPECT_FALSE(desk.isLoaded(kLock)) << "locked before the hour";
        desk.advance(1000);
        EXPECT_TRUE(desk.isLoaded(kLock));
        EXPECT_TRUE(desk.misuses.empty());
    }
}

TEST(RestTimer, WatchedProgramsPostponeTheLockByAnHourEach) {
    struct Case {
        std::vector<Text> running;
        int base, baseAfter;  // after the tick at the lock hour
        bool locks;
    } cases[] = {
        {{"LeagueClient.exe"}, 9, 10, false},
        {{"explorer.exe", "StormPlayer9.exe"}, 9, 10, false},
        {{"StormPlayer9.exe", "svchost.exe", "LeagueClient.exe"}, 9, 11, false},
        {{"leagueclient.exe", "STORMPLAYER9.EXE"}, 9, 9, true},  // names match case-sensitively
        {{"LeagueClient.exe"}, 23, 0, false},                    // stays an hour of the day
        {{}, 9, 9, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("base " + std::to_string(c.base) + ", " + std::to_string(c.running.size()) +
                     " programs");
        auto session = std::make_unique<IconSession>();
        auto& desk = session->desk;
        auto& state = session->state;
        const int hour = restlock::lockHour(c.base);
        session->iconAwakeAt((hour + 23) % 24, 59, 58, c.base);
        desk.processes = c.running;
        desk.advanceTo(hour, 0, 1);  // the tick at hh:00:00.5 has run
        EXPECT_EQ(state.restBaseHour, c.baseAfter);
        EXPECT_EQ(desk.isLoaded(kLock), c.locks);
        EXPECT_EQ(desk.snapshotsOpened, 2);
        EXPECT_EQ(desk.snapshotsClosed, 2);
        if (c.locks) continue;

        // Postponed: the icon stays awake and checks on; with the programs closed the
        // lock comes at the postponed hour.
        EXPECT_EQ(session->iconTimer("时钟_锁屏窗"), 1000);
        desk.processes.clear();
        const int postponedHour = restlock::lockHour(c.baseAfter);
        desk.advanceTo(postponedHour, 0, 0);
        EXPECT_FALSE(desk.isLoaded(kLock));
        desk.advance(1000);
        EXPECT_TRUE(desk.isLoaded(kLock));
    }
}

TEST_F(RestCheck, StartingALockPutsTheIconToSleepAfterTheLockIsUp) {
    iconAwakeAt(9, 30, 0, 8);
    state.menuShown = 1;
    desk.writes.clear();
    restlock::startRestLock(desk, state);

    ASSERT_TRUE(desk.isLoaded(kLock));
    EXPECT_EQ(desk.window(kLock)->parent, kIcon);
    EXPECT_EQ(state.menuShown, 0);
    EXPECT_FALSE(desk.getProperty(win(kIcon), prop::kVisible).asBool());

    // The lock's own set-up first, then the icon hidden, then its timers in this order.
    std::vector<std::string> iconWrites;
    std::size_t firstLockWrite = desk.writes.size(), hideAt = desk.writes.size();
    for (std::size_t i = 0; i < desk.writes.size(); ++i) {
        const auto& w = desk.writes[i];
        if (w.target.window == kLock) firstLockWrite = std::min(firstLockWrite, i);
        if (w.target == win(kIcon) && w.index == prop::kVisible) hideAt = i;
        if (w.target.window == kIcon && w.target.kind == UiTarget::Kind::Control &&
            w.index == prop::kPeriod) {
            EXPECT_GT(i, hideAt);
            EXPECT_EQ(w.value.asInt(), 0) << w.target.name;
            iconWrites.push_back(w.target.name);
        }
    }
    EXPECT_LT(firstLockWrite, hideAt);
    EXPECT_EQ(iconWrites, std::vector<std::string>(std::begin(kIconTimers), std::end(kIconTimers)));
    for (const char* t : kIconTimers) EXPECT_EQ(iconTimer(t), 0) << t;

    // Asleep: nothing of the icon ticks for the length of the lock.
    desk.events.clear();
    desk.advance(10'000);
    for (const auto& e : desk.events) EXPECT_EQ(e.rfind("IconWindow", 0), std::string::npos) << e;
}

TEST_F(RestCheck, IconSleepsEvenWhenTheLockWindowCannotBeLoaded) {
    iconAwakeAt(9, 30, 0, 8);
    desk.failNextLoadOf(kLock);
    restlock::startRestLock(desk, state);
    EXPECT_FALSE(desk.isLoaded(kLock));
    EXPECT_FALSE(desk.getProperty(win(kIcon), prop::kVisible).asBool());
    for (const char* t : kIconTimers) EXPECT_EQ(iconTimer(t), 0) << t;
}

// --- the process search ---------------------------------------------------------

TEST(ProcessSearch, MatchesExactNamesAndClosesTheSnapshotOnEveryPath) {
    struct Case {
        const char* what;
        std::vector<Text> processes;
        bool snapshotFails;
        int failsAfter;
        Text name;
        bool found;
    } cases[] = {
        {"first entry", {"LeagueClient.exe", "a.exe"}, false, -1, "LeagueClient.exe", true},
        {"last entry", {"a.exe", "b.exe", "StormPlayer9.exe"}, false, -1, "StormPlayer9.exe", true},
        {"absent", {"a.exe", "b.exe"}, false, -1, "LeagueClient.exe", false},
        {"letter case differs", {"leagueclient.exe"}, false, -1, "LeagueClient.exe", false},
        {"prefix only", {"LeagueClient.exe"}, false, -1, "LeagueClient", false},
        {"longer name", {"LeagueClient.exe"}, false, -1, "LeagueClient.exe2", false},
        {"empty list", {}, false, -1, "LeagueClient.exe", false},
        {"no snapshot", {"LeagueClient.exe"}, true, -1, "LeagueClient.exe", false},
        {"enumeration fails first", {"LeagueClient.exe"}, false, 0, "LeagueClient.exe", false},
        {"enumeration fails part-way", {"a.exe", "b.exe", "LeagueClient.exe"}, false, 2,
         "LeagueClient.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        memory::Desktop desk;
        desk.processes = c.processes;
        desk.snapshotFails = c.snapshotFails;
        desk.enumerationFailsAfter = c.failsAfter;
        EXPECT_EQ(restlock::isProcessRunning(desk, c.name), c.found);
        EXPECT_EQ(desk.snapshotsOpened, c.snapshotFails ? 0 : 1);
        EXPECT_EQ(desk.snapshotsClosed, desk.snapshotsOpened);
    }
}

TEST(ProcessSearch, TakesAFullSnapshotAndReadsNamesUpToTheirFirstZero) {
    memory::Desktop desk;
    SystemCalls& sys = desk.systemCalls();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> snapshots;
    std::vector<SysHandle> closed;
    int entriesGiven = 0;
    sys.CreateToolhelp32Snapshot = [&](std::uint32_t flags, std::uint32_t pid) -> SysHandle {
        snapshots.push_back({flags, pid});
        return 0x77;
    };
    auto give = [&](SysHandle h, ProcessEntry32* e) {
        if (h != 0x77 || e->dwSize != sizeof(ProcessEntry32) || entriesGiven == 2) return false;
        static const char first[] = "StormPlayer9.exe\0junk";
        static const char second[] = "other.exe";
        std::fill(std::begin(e->szExeFile), std::end(e->szExeFile), 'x');  // stale bytes
        if (entriesGiven++ == 0)
            std::copy(std::begin(first), std::end(first), e->szExeFile);
        else
            std::copy(std::begin(second), std::end(second), e->szExeFile);
        return true;
    };
    sys.Process32First = give;
    sys.Process32Next = give;
    sys.CloseHandle = [&](SysHandle h) {
        closed.push_back(h);
        return true;
    };

    EXPECT_TRUE(restlock::isProcessRunning(desk, "StormPlayer9.exe"));
    EXPECT_EQ(snapshots, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{15u, 0u}}));
    EXPECT_EQ(closed, std::vector<SysHandle>{0x77});
    EXPECT_EQ(entriesGiven, 1);  // stops at the match
}

}  // namespace
