// LockWindow's handlers: the full-screen set-up, the clock and the 15-minute countdown,
// the wallpaper cycle, the daytime music, staying on top, the emergency unlock, and
// waking the icon when the lock ends.
#include "restlock/lock_window.h"

namespace restlock {

namespace {
constexpr WindowId kLock = WindowId::LockWindow;
constexpr WindowId kIcon = WindowId::IconWindow;

constexpr const char* kOnTopTimer = "时钟_总在最前";
constexpr const char* kClockLabel = "标签_时间";
constexpr const char* kCountdownLabel = "标签_计时";

constexpr const char* kMusicFile = "E:\\CloudMusic\\Miravel - 这一生关于你的风景.mp3";
constexpr int kMusicFirstHour = 8, kMusicLastHour = 21;  // the song only plays in the daytime
constexpr const char* kWallpaperPrefix = "D:\\Vantrel\\壁纸\\sky-";
constexpr const char* kWallpaperSuffix = ".jpg";
constexpr int kWallpaperCount = 60;
constexpr int kTicksPerWallpaper = 60;
constexpr int kLockMinutes = 15;
constexpr const char* kPassword = "quietforest";

constexpr int kRaisePeriod = 80;            // keeps the lock above everything else
constexpr int kRaiseAfterCancelPeriod = 1000;  // gentler once the user has clicked it away
constexpr int kSpaceKey = 32;

// Counts the locks that have ended, so that a dialog returning after its lock is gone
// never touches the window again, not even a later lock's window of the same name.
int endedLocks = 0;

bool sameLockStillOpen(DesktopServices& d, int endedBefore) {
    return endedLocks == endedBefore && d.isLoaded(kLock);
}
}  // namespace

void setupLock(DesktopServices& d, AppState& s) {
    if (hourOf(d.currentTime()) >= kMusicFirstHour && hourOf(d.currentTime()) <= kMusicLastHour) {
        s.musicPlaying = 1;
        d.playMp3(kMusicFile);
    }
    s.lockMinutesLeft = kLockMinutes;
    s.lockSecondsLeft = 1;
    s.wallpaperCountdown = 1;

    d.setProperty(win(kLock), prop::kTop, 0);
    d.setProperty(win(kLock), prop::kLeft, 0);
    d.setProperty(win(kLock), prop::kWidth, d.screenWidth());
    d.setProperty(win(kLock), prop::kHeight, d.screenHeight());

    d.setProperty(control(kLock, kOnTopTimer), prop::kPeriod, kRaisePeriod);
    d.hideTaskbar();
    d.seedRandom();
}

void lockTick(DesktopServices& d, AppState& s) {
    s.clockMinute = minuteOf(d.currentTime());
    const int hour = hourOf(d.currentTime());
    d.setProperty(control(kLock, kClockLabel), prop::kCaption,
                  joinTexts({toText(hour), s.clockMinute < 10 ? ":0" : ":", toText(s.clockMinute)}));

    // The destruction waits until this tick has returned, so the rest of it still runs.
    if (s.lockMinutesLeft < 0) d.destroyWindow(kLock);

    if (s.lockSecondsLeft == 1) {
        // The "01" already shown stays for this tick too; "00" is never shown.
        s.lockMinutesLeft -= 1;
        s.lockSecondsLeft = 60;
    } else {
        const char* separator = s.lockSecondsLeft <= 10 ? "：0" : "：";
        s.lockSecondsLeft -= 1;
        d.setProperty(control(kLock, kCountdownLabel), prop::kCaption,
                      joinTexts({"解锁时间：", toText(s.lockMinutesLeft), separator,
                                 toText(s.lockSecondsLeft)}));
    }

    if (s.wallpaperCountdown == 1) {
        s.wallpaperCountdown = kTicksPerWallpaper;
        changeWallpaper(d, s);
    } else {
        s.wallpaperCountdown -= 1;
    }
}

void changeWallpaper(DesktopServices& d, AppState&) {
    const int n = d.randomInRange(1, kWallpaperCount);
    const Text path = joinTexts({kWallpaperPrefix, toText(n), kWallpaperSuffix});
    // A missing picture reads as empty bytes, which leaves the window without one.
    d.setProperty(win(kLock), prop::kBackPicture, Value(d.readFile(path)));
}

void raiseLockWindow(DesktopServices& d, AppState&) {
    d.systemCalls().BringWindowToTop(d.windowHandle(win(kLock)));
    d.setProperty(win(kLock), prop::kAlwaysOnTop, true);
}

void lockLeftClick(DesktopServices& d, AppState&) {
    d.setProperty(win(kLock), prop::kAlwaysOnTop, false);
    d.setProperty(control(kLock, kOnTopTimer), prop::kPeriod, 0);
}

void lockRightClick(DesktopServices& d, AppState&) { d.popupMenu(kLock, "菜单"); }

void lockKeyDown(DesktopServices& d, AppState& s, int key) {
    if (key != kSpaceKey) return;
    if (s.musicPlaying == 1) {
        d.pauseMp3();
        s.musicPlaying = 0;
    } else {
        d.resumeMp3();
        s.musicPlaying = 1;
    }
}

void emergencyUnlock(DesktopServices& d, AppState&) {
    const int endedBefore = endedLocks;
    const Text title = "提示信息：";
    Text entered;
    const bool confirmed = d.inputBox("请输入解锁密码：", title, "", true, kLock, entered);
    // The countdown keeps running while the box is open and may have ended the lock;
    // the answer then belongs to no lock and changes nothing.
    if (!sameLockStillOpen(d, endedBefore)) return;

    if (!confirmed) {
        d.setProperty(control(kLock, kOnTopTimer), prop::kPeriod, kRaiseAfterCancelPeriod);
        return;
    }
    if (compareTexts(entered, kPassword) != 0) {
        d.messageBox("密码错误", msgbox::kOk);
        return;
    }
    d.destroyWindow(kLock);
}

void endRestLock(DesktopServices& d, AppState& s) {
    ++endedLocks;
    // The icon is only ever hidden by the lock; should it have been destroyed from
    // outside meanwhile, there are no timers left to restart.
    if (d.isLoaded(kIcon)) {
        d.setProperty(control(kIcon, "时钟_呼吸灯"), prop::kPeriod, 120);
        d.setProperty(control(kIcon, "时钟_自动贴边"), prop::kPeriod, 800);
        d.setProperty(control(kIcon, "时钟_收缩窗口"), prop::kPeriod, 40);
        d.setProperty(control(kIcon, "时钟_锁屏窗"), prop::kPeriod, 1000);
    }
    s.restBaseHour = hourOf(d.currentTime());
    d.setProperty(win(kIcon), prop::kVisible, true);
    d.showTaskbar();
    d.stopAllSounds();
}

}  // namespace restlock
