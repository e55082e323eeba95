// The program-wide variables that all window handlers share. All start at zero or
// empty; they live for the whole process and only the GUI thread touches them.
#pragma once

#include <string>

struct AppState {
    int autoPopup = 0;       // 1: panel opens when the pointer rests on the icon
    int menuShown = 0;       // 1 from a popped-up icon menu until a menu command runs
    int restBaseHour = 0;    // hour at which the current work period began
    std::string iconTheme;   // current theme name (GBK) = frame folder and file prefix
    int iconFrameCount = 0;  // frames of the current theme
    int iconFrame = 0;       // frame loaded last
    int breathRising = 0;    // 1: frames count up
    int panelAlpha = 0;      // panel opacity level during its fade (not clamped)
    int musicPlaying = 0;
    int lockMinutesLeft = 0;
    int lockSecondsLeft = 0;
    int wallpaperCountdown = 0;
    int clockMinute = 0;
    int shutdownHour = 0;
    int shutdownMinute = 0;
};
