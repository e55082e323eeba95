// ShutdownWindow's handlers: arming a shutdown at the hour and minute typed into the
// two boxes, the once-a-second tick that runs it, and the close request that only
// hides an armed window so that its countdown survives.
#include "shutdown/shutdown_window.h"

namespace shutdown {

namespace {
constexpr WindowId kWindow = WindowId::ShutdownWindow;
constexpr const char* kHourBox = "小时_编辑框";
constexpr const char* kMinuteBox = "分钟_编辑框";
constexpr const char* kArmedLabel = "定时_标签";
// Its period is the armed flag: running means a shutdown is armed.
constexpr const char* kTimer = "关机_时钟";
constexpr int kEnterKey = 13;
constexpr int kOpacity = 240;

Text boxText(DesktopServices& d, const char* box) {
    return d.getProperty(control(kWindow, box), prop::kText).asText();
}

// A time that the clock can never show would be armed and then silently never run,
// so it is refused like an hour past the end of the day.
bool refuseOutside(DesktopServices& d, double value, double last, const char* message) {
    if (!realGreater(value, last) && !realLess(value, 0)) return false;
    const Text title = "提示信息：";
    d.messageBox(message, msgbox::kOk, &title);
    return true;
}
}  // namespace

void setupShutdownWindow(DesktopServices& d, AppState&) {
    d.setWindowOpacity(d.windowHandle(win(kWindow)), kOpacity);
}

bool armShutdown(DesktopServices& d, AppState& s, int key) {
    if (key != kEnterKey) return false;
    const Text hourText = boxText(d, kHourBox);
    const Text minuteText = boxText(d, kMinuteBox);
    const double hour = toNumber(hourText);
    const double minute = toNumber(minuteText);
    if (refuseOutside(d, hour, 23, "别瞎搞已经超出24小时了！！！")) return false;
    if (refuseOutside(d, minute, 59, "别瞎搞已经超出60分钟了！！！")) return false;

    // Both are within range here, so the truncation toward zero cannot overflow.
    s.shutdownHour = static_cast<int>(hour);
    s.shutdownMinute = static_cast<int>(minute);
    d.setProperty(control(kWindow, kTimer), prop::kPeriod, 1000);

    // The confirmation and the label echo the texts as typed, not the stored numbers.
    d.messageBox(joinTexts({"关机时间:  ", hourText, " ：", minuteText,
                            "\r\n\r\n开始倒计时关机 ！！！"}),
                 msgbox::kOk);
    if (!d.isLoaded(kWindow)) return true;
    d.setProperty(control(kWindow, kArmedLabel), prop::kCaption,
                  joinTexts({"已设定关机时间： ", hourText, "：", minuteText}));
    d.setProperty(control(kWindow, kArmedLabel), prop::kVisible, true);
    return true;
}

void shutdownTick(DesktopServices& d, AppState& s) {
    if (hourOf(d.currentTime()) != s.shutdownHour) return;
    if (minuteOf(d.currentTime()) != s.shutdownMinute) return;
    // Not disarmed afterwards: every tick of the minute asks again, and the later runs
    // find a shutdown already under way.
    d.runCommandLine("shutdown -s", false);
}

bool answerCloseRequest(DesktopServices& d, AppState&) {
    if (d.getProperty(control(kWindow, kTimer), prop::kPeriod).asInt() != 0) {
        // Armed: only hidden, so the tick goes on; the panel shows the window again.
        d.setProperty(win(kWindow), prop::kVisible, false);
        return false;
    }
    if (d.messageBox("是否取消定时关机？", msgbox::kOkCancel) != msgbox::kResultOk) return false;
    if (d.isLoaded(kWindow)) d.destroyWindow(kWindow);
    return true;
}

}  // namespace shutdown
