// LockWindow: the rest lock, borderless and always on top, with its clock and
// countdown labels over the wallpaper.
#include "restlock/lock_window.h"
#include "units/bind.h"
#include "units/unit.h"

namespace {
ControlUnit label(const char* name, int left, int top, int width, int height, const char* text,
                  Colour colour, Align align, Font font = kDefaultGuiFont) {
    return {.name = name, .kind = ControlKind::TransparentLabel, .left = left, .top = top,
            .width = width, .height = height, .text = text, .textColour = colour, .font = font,
            .align = align, .verticalCentre = true};
}
}  // namespace

const WindowUnit kLockWindow{
    .id = WindowId::LockWindow,
    .caption = "",
    .width = 654, .height = 402,
    .placement = Placement::AsStored,
    .minBox = true,
    .backColour = kDefaultColour,
    .backPicture = "lock_wallpaper.jpg",
    // Created enabled, so the menu with the emergency unlock, the left click and the
    // space key reach the window.
    .disabled = false,
    .alwaysOnTop = true,
    .showInTaskbar = false,
    .movable = false,
    .controls = {
        {.name = "时钟_总在最前", .kind = ControlKind::Timer, .left = 144, .top = 64, .width = 26,
         .height = 26, .visible = false, .period = 0},
        {.name = "时钟_时间", .kind = ControlKind::Timer, .left = 104, .top = 64, .width = 26,
         .height = 26, .visible = false, .period = 1000},
        label("标签_计时", 228, 368, 124, 20, "解锁时间：", rgb(0xFF0000), Align::Left),
        label("标签_提示", 191, 344, 208, 20, "玩电脑太久了，活动一下把！", rgb(0xFFFF00), Align::Centre),
        label("标签_时间", 127, 252, 336, 80, "19:13", rgb(0x00FF00), Align::Centre,
              Font{.face = "楷体", .height = -96, .weight = 400, .charset = 134}),
    },
    .menu = {
        {.level = 0, .caption = "菜单", .hidden = true},
        {.level = 1, .caption = "切换壁纸"},
        {.level = 1, .caption = "紧急解锁"},
    },
    .bindings = {
        {EventKind::Created, "", plain<restlock::setupLock>},
        {EventKind::KeyDown, "", withKey<restlock::lockKeyDown>},
        {EventKind::WillBeDestroyed, "", plain<restlock::endRestLock>},
        {EventKind::RightUp, "", plain<restlock::lockRightClick>},
        {EventKind::LeftUp, "", plain<restlock::lockLeftClick>},
        {EventKind::Tick, "时钟_时间", plain<restlock::lockTick>},
        {EventKind::Tick, "时钟_总在最前", plain<restlock::raiseLockWindow>},
        {EventKind::MenuChosen, "切换壁纸", plain<restlock::changeWallpaper>},
        {EventKind::MenuChosen, "紧急解锁", plain<restlock::emergencyUnlock>},
    },
};
