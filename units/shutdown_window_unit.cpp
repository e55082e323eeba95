// ShutdownWindow: two big edit boxes for the hour and minute of a timed shutdown.
#include "shutdown/shutdown_window.h"
#include "units/bind.h"
#include "units/unit.h"

namespace {
constexpr Font kKai96{.face = "楷体", .height = -96, .weight = 400, .charset = 134};

ControlUnit numberBox(const char* name, int left, int width, InputMode mode) {
    return {.name = name, .kind = ControlKind::EditBox, .left = left, .top = 4, .width = width,
            .height = 93, .text = "20", .textColour = rgb(0xFFFFFF),
            .backColour = rgb(0x2A2A2A), .font = kKai96, .align = Align::Centre,
            .inputMode = mode};
}
}  // namespace

const WindowUnit kShutdownWindow{
    .id = WindowId::ShutdownWindow,
    .caption = "定时关机",
    .width = 283, .height = 146,
    .placement = Placement::Centred,
    .border = Border::FixedWithCaption,
    .controlBox = true,
    .backColour = rgb(0x2A2A2A),
    .pictureMode = PictureMode::Tiled,
    .showInTaskbar = true,
    .escCloses = true,
    .controls = {
        {.name = "定时_标签", .kind = ControlKind::TransparentLabel, .left = 64, .top = 99,
         .width = 150, .height = 20, .visible = false, .text = "已设定关机时间：   20:20",
         .textColour = rgb(0xFF0000), .align = Align::Left, .verticalCentre = true},
        {.name = "关机_时钟", .kind = ControlKind::Timer, .left = 64, .top = 11, .width = 26,
         .height = 26, .visible = false, .period = 0},
        {.name = "透明标签1", .kind = ControlKind::TransparentLabel, .left = 124, .top = 7,
         .width = 31, .height = 68, .text = ":", .textColour = rgb(0xFFFFFF), .font = kKai96,
         .align = Align::Centre, .verticalCentre = true},
        numberBox("分钟_编辑框", 161, 100, InputMode::IntegerText),
        numberBox("小时_编辑框", 17, 98, InputMode::ShortInteger),
    },
    .menu = {},
    .bindings = {
        {EventKind::Created, "", plain<shutdown::setupShutdownWindow>},
        {EventKind::CanClose, "", verdict<shutdown::answerCloseRequest>},
        {EventKind::Tick, "关机_时钟", plain<shutdown::shutdownTick>},
        {EventKind::KeyDown, "小时_编辑框", withKey<shutdown::armShutdown>},
        {EventKind::KeyDown, "分钟_编辑框", withKey<shutdown::armShutdown>},
    },
};
