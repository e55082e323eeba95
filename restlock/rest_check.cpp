// The rest check on the icon's one-second rest timer, the start of a rest lock, and
// the look-up of running processes by executable name through a Tool Help snapshot.
#include "restlock/rest_check.h"

#include <algorithm>
#include <iterator>

namespace restlock {

namespace {
constexpr int kHoursPerDay = 24;
constexpr int kWorkHours = 2;  // a work period lasts until the second full hour after it began

// Programs during which a rest would interrupt something that cannot be paused: each
// one running pushes the rest back by an hour.
constexpr const char* kWatchedPrograms[] = {"LeagueClient.exe", "StormPlayer9.exe"};

// Tool Help snapshot of everything (heaps, processes, threads, modules).
constexpr std::uint32_t kSnapAll = 15;

int wrapHour(int hour) {
    int h = hour % kHoursPerDay;
    return h < 0 ? h + kHoursPerDay : h;
}

constexpr const char* kIconTimersInStopOrder[] = {"时钟_呼吸灯", "时钟_自动贴边", "时钟_切换壁纸",
                                                  "时钟_收缩窗口", "时钟_锁屏窗"};
}  // namespace

int lockHour(int restBaseHour) {
    // Wrapped so that a work period beginning at 22:00 or 23:00 still ends after
    // midnight instead of waiting for an hour 24 or 25 that the clock never shows.
    return wrapHour(wrapHour(restBaseHour) + kWorkHours);
}

void restCheck(DesktopServices& d, AppState& s) {
    const int hour = hourOf(d.currentTime());
    if (hour != lockHour(s.restBaseHour)) return;

    bool postponed = false;
    for (const char* program : kWatchedPrograms) {
        if (isProcessRunning(d, program)) {
            // Kept within 0..23 so that a game running for weeks never walks the
            // base hour towards an overflow; the lock hour moves one hour later.
            s.restBaseHour = wrapHour(s.restBaseHour + 1);
            postponed = true;
        }
    }
    if (postponed) return;
    startRestLock(d, s);
}

void startRestLock(DesktopServices& d, AppState& s) {
    const WindowId icon = WindowId::IconWindow;
    // The lock window's own set-up runs inside this load, before the icon goes to
    // sleep; whether the load succeeded, the icon sleeps all the same.
    d.loadWindow(WindowId::LockWindow, &icon);
    s.menuShown = 0;
    d.setProperty(win(icon), prop::kVisible, false);
    for (const char* timer : kIconTimersInStopOrder)
        d.setProperty(control(icon, timer), prop::kPeriod, 0);
}

bool isProcessRunning(DesktopServices& d, const Text& name) {
    SystemCalls& sys = d.systemCalls();
    const SysHandle snapshot = sys.CreateToolhelp32Snapshot(kSnapAll, 0);
    if (snapshot == kInvalidSysHandle) return false;

    ProcessEntry32 entry;
    entry.dwSize = sizeof entry;
    bool found = false;
    for (bool more = sys.Process32First(snapshot, &entry); more;
         more = sys.Process32Next(snapshot, &entry)) {
        // The name ends at its first zero byte (or at the end of the field).
        const char* begin = entry.szExeFile;
        const char* end = std::find(std::begin(entry.szExeFile), std::end(entry.szExeFile), '\0');
        if (Text(begin, end) == name) {
            found = true;
            break;
        }
    }
    sys.CloseHandle(snapshot);
    return found;
}

}  // namespace restlock
