// PanelWindow: the dark rounded quick panel with its search box, nine shortcut
// pictures, the recycle-bin picture and two pop-up menus.
#include "panel/panel_actions.h"
#include "panel/panel_window.h"
#include "panel/recycle_bin.h"
#include "units/bind.h"
#include "units/unit.h"

namespace {
constexpr Font kKai20{.face = "楷体", .height = -20, .weight = 400, .charset = 134};
constexpr Font kKai19{.face = "楷体", .height = -19, .weight = 400, .charset = 134};

ControlUnit picture(const char* name, int left, int top, int width, int height,
                    const char* resourceName, Colour back = kDefaultColour) {
    return {.name = name, .kind = ControlKind::PictureBox, .left = left, .top = top,
            .width = width, .height = height, .backColour = back, .picture = resourceName};
}

ControlUnit caption(const char* name, int left, int top, int width, const char* text) {
    return {.name = name, .kind = ControlKind::TransparentLabel, .left = left, .top = top,
            .width = width, .height = 19, .text = text, .textColour = rgb(0xFFFFFF),
            .align = Align::Centre, .verticalCentre = true};
}
}  // namespace

const WindowUnit kPanelWindow{
    .id = WindowId::PanelWindow,
    .caption = "",
    .width = 435, .height = 265,
    .placement = Placement::Centred,
    .controlBox = true, .minBox = true,
    .backColour = rgb(0x2A2A2A),
    .alwaysOnTop = true,
    .showInTaskbar = true,
    .escCloses = true,
    .shape = Shape::RoundedRectangle,
    .controls = {
        {.name = "时钟_淡出淡入", .kind = ControlKind::Timer, .left = 40, .top = 24, .width = 26,
         .height = 26, .visible = false, .period = 60},
        {.name = "编辑框1", .kind = ControlKind::EditBox, .left = 28, .top = 15, .width = 272,
         .height = 29, .text = "百度搜索", .textColour = rgb(0xECECEC),
         .backColour = rgb(0x2A2A2A), .font = kKai20, .align = Align::Centre},
        {.name = "标签1", .kind = ControlKind::Label, .left = 28, .top = 45, .width = 272,
         .height = 2, .text = "", .backColour = rgb(0x0088FF)},
        {.name = "标签2", .kind = ControlKind::Label, .left = 328, .top = 13, .width = 88,
         .height = 35, .text = "百度一下", .textColour = rgb(0xFFFFFF),
         .backColour = rgb(0x5588FF), .font = kKai19, .align = Align::Centre,
         .verticalCentre = true, .border = true},
        picture("我的电脑_图片框", 13, 56, 70, 64, "my_computer.png", rgb(0xFFFFFF)),
        caption("透明标签1", 15, 120, 64, "我的电脑"),
        picture("桌面_图片框", 107, 73, 49, 42, "desktop.png"),
        caption("透明标签2", 100, 120, 64, "桌面"),
        picture("安装盘_图片框", 188, 64, 54, 57, "drive_tower.png"),
        caption("透明标签3", 183, 121, 64, "安装盘(D:)"),
        picture("资料盘_图片框", 274, 63, 54, 57, "drive_tower.png"),
        caption("透明标签5", 266, 120, 71, "资料盘(F:)"),
        picture("系统盘_图片框", 360, 66, 48, 52, "system_disk.png"),
        caption("透明标签4", 352, 121, 64, "系统盘(C:)"),
        picture("控制面板_图片框", 17, 171, 61, 64, "control_panel.png"),
        caption("透明标签6", 16, 227, 64, "控制面板"),
        picture("关机_图片框", 102, 171, 56, 56, "power.png"),
        caption("透明标签7", 98, 227, 64, "关机"),
        picture("云盘_图片框", 182, 170, 60, 56, "cloud.png"),
        caption("透明标签8", 180, 227, 64, "云盘"),
        picture("命令符_图片框", 266, 170, 60, 56, "command_prompt.png"),
        caption("透明标签9", 264, 227, 64, "命令符"),
        {.name = "垃圾桶_图片框", .kind = ControlKind::PictureBox, .left = 330, .top = 155,
         .width = 114, .height = 113, .picture = "bin_empty.png", .handCursor = true},
    },
    .menu = {
        {.level = 0, .caption = "垃圾桶", .hidden = true},
        {.level = 1, .caption = "清空回收站"},
        {.level = 0, .caption = "关机选项", .hidden = true},
        {.level = 1, .caption = "立即关机"},
        {.level = 1, .caption = "关机重启"},
        {.level = 1, .caption = "定时关机"},
    },
    .bindings = {
        {EventKind::Created, "", plain<panel::setupPanel>},
        {EventKind::Tick, "时钟_淡出淡入", plain<panel::fadeTick>},
        {EventKind::GotFocus, "编辑框1", plain<panel::searchBoxGotFocus>},
        {EventKind::LostFocus, "编辑框1", plain<panel::searchBoxLostFocus>},
        {EventKind::LeftUp, "标签2", plain<panel::webSearch>},
        {EventKind::LeftUp, "我的电脑_图片框", plain<panel::openMyComputer>},
        {EventKind::LeftUp, "桌面_图片框", plain<panel::showDesktop>},
        {EventKind::LeftUp, "系统盘_图片框", plain<panel::openSystemDrive>},
        {EventKind::LeftUp, "安装盘_图片框", plain<panel::openInstallDrive>},
        {EventKind::LeftUp, "资料盘_图片框", plain<panel::openDataDrive>},
        {EventKind::LeftUp, "控制面板_图片框", plain<panel::openControlPanel>},
        {EventKind::LeftUp, "命令符_图片框", plain<panel::openCommandPrompt>},
        {EventKind::LeftUp, "云盘_图片框", plain<panel::openCloudDrive>},
        {EventKind::LeftUp, "关机_图片框", plain<panel::showShutdownMenu>},
        {EventKind::RightUp, "垃圾桶_图片框", plain<panel::showBinMenu>},
        {EventKind::MenuChosen, "清空回收站", plain<panel::emptyRecycleBin>},
        {EventKind::MenuChosen, "立即关机", plain<panel::shutdownNow>},
        {EventKind::MenuChosen, "关机重启", plain<panel::restartNow>},
        {EventKind::MenuChosen, "定时关机", plain<panel::openTimedShutdown>},
    },
};
