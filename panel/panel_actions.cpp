// The commands behind the panel's shortcuts, its search box and its shutdown menu.
#include "panel/panel_actions.h"

#include "platform/gbk.h"

namespace panel {

namespace {

constexpr WindowId kPanel = WindowId::PanelWindow;
constexpr int kWindowsKey = 91, kKeyD = 68, kKeyE = 69;
constexpr Colour kWhite = 0xFFFFFF;
constexpr const char* kSearchHost = "www.baidu.com";
constexpr const char* kSearchPlaceholder = "百度搜索";
const UiTarget kSearchBox = control(WindowId::PanelWindow, "编辑框1");

// The destruction is deferred: the panel disappears once the running handler returns.
// It may already be gone when a menu was up long enough for the fade-out to close it.
void closePanel(DesktopServices& d) {
    if (d.isLoaded(kPanel)) d.destroyWindow(kPanel);
}

void run(DesktopServices& d, const char* commandLine) { d.runCommandLine(commandLine, false); }

}  // namespace

void openMyComputer(DesktopServices& d, AppState&) {
    d.pressKeys(kWindowsKey, kKeyE);
    closePanel(d);
}

void showDesktop(DesktopServices& d, AppState&) {
    d.pressKeys(kWindowsKey, kKeyD);
    closePanel(d);
}

void openSystemDrive(DesktopServices& d, AppState&) {
    run(d, "Explorer C:\\");
    closePanel(d);
}

void openInstallDrive(DesktopServices& d, AppState&) {
    run(d, "Explorer D:\\");
    closePanel(d);
}

void openDataDrive(DesktopServices& d, AppState&) {
    run(d, "Explorer F:\\");
    closePanel(d);
}

void openControlPanel(DesktopServices& d, AppState&) {
    run(d, "rundll32.exe shell32.dll,Control_RunDLL");
    closePanel(d);
}

// The command prompt and the cloud drive leave the panel open.
void openCommandPrompt(DesktopServices& d, AppState&) { run(d, "cmd"); }

void openCloudDrive(DesktopServices& d, AppState&) {
    d.shellOpen("C:\\ProgramData\\FangCloud\\5.14\\FangCloud.exe");
}

void showShutdownMenu(DesktopServices& d, AppState&) {
    d.popupMenu(kPanel, "关机选项");
    // The chosen item's command was posted before this request and runs first.
    closePanel(d);
}

void searchBoxGotFocus(DesktopServices& d, AppState&) {
    const Text text = d.getProperty(kSearchBox, prop::kText).asText();
    if (compareTexts(text, kSearchPlaceholder) == 0)
        d.setProperty(kSearchBox, prop::kText, Value(Text()));
    else
        d.setProperty(kSearchBox, prop::kTextColour, Value::colour(kWhite));
}

void searchBoxLostFocus(DesktopServices& d, AppState&) { closePanel(d); }

void webSearch(DesktopServices& d, AppState&) {
    d.openUrl(searchAddress(d.getProperty(kSearchBox, prop::kText).asText()));
    closePanel(d);
}

void shutdownNow(DesktopServices& d, AppState&) { run(d, "shutdown -s -t 00"); }

void restartNow(DesktopServices& d, AppState&) {
    constexpr int kRestart = 2;
    d.shutDownSystem(kRestart, true);
}

void openTimedShutdown(DesktopServices& d, AppState&) {
    d.setProperty(win(WindowId::ShutdownWindow), prop::kVisible, true);
    d.loadWindow(WindowId::ShutdownWindow);
}

Text searchAddress(const Text& gbkQuery) {
    // The query goes as UTF-8, percent-encoded, as a browser sends it: raw GBK bytes
    // and characters such as & # + or spaces would break or change the address.
    return joinTexts({"https://", kSearchHost, "/s?wd=", gbk::percentEncode(gbk::toUtf8(gbkQuery))});
}

}  // namespace panel
