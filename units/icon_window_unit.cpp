// IconWindow: the borderless start-up icon with its five timers and its context menu.
#include "icon/breathing.h"
#include "icon/icon_window.h"
#include "restlock/rest_check.h"
#include "units/bind.h"
#include "units/unit.h"

namespace {
ControlUnit timer(const char* name, int left, int top, int width, int period) {
    return {.name = name, .kind = ControlKind::Timer, .left = left, .top = top, .width = width,
            .height = 26, .visible = false, .period = period};
}
}  // namespace

const WindowUnit kIconWindow{
    .id = WindowId::IconWindow,
    .caption = "",
    .width = 100, .height = 96,
    .placement = Placement::Centred,
    .backColour = 0xFFFFFF,
    .backPicture = "icon_base.png",
    .showInTaskbar = false,
    .dragAnywhere = true,
    .icon = "app_icon.ico",
    .controls = {
        timer("时钟_锁屏窗", 79, -1, 26, 1000),
        timer("时钟_呼吸灯", 0, 27, 26, 120),
        timer("时钟_自动贴边", 27, 0, 24, 800),
        timer("时钟_切换壁纸", 52, -2, 26, 0),
        timer("时钟_收缩窗口", 0, 0, 26, 40),
    },
    .menu = {
        {.level = 0, .caption = "菜单", .hidden = true},
        {.level = 1, .caption = "弹出方式"},
        {.level = 2, .caption = "自动弹出"},
        {.level = 2, .caption = "双击弹出"},
        {.level = 1, .caption = "选择图标"},
        {.level = 2, .caption = "黑图标", .checked = true},
        {.level = 2, .caption = "蓝图标"},
        {.level = 1, .caption = "自动贴边", .checked = true},
        {.level = 1, .caption = "测试"},
        {.level = 1, .caption = "-"},
        {.level = 1, .caption = "退出"},
    },
    .bindings = {
        {EventKind::Created, "", plain<icon::setupIcon>},
        {EventKind::RightUp, "", plain<icon::showIconMenu>},
        {EventKind::LeftUp, "", plain<icon::openPanelOnClick>},
        {EventKind::Tick, "时钟_锁屏窗", plain<restlock::restCheck>},
        {EventKind::Tick, "时钟_呼吸灯", plain<icon::breathTick>},
        {EventKind::Tick, "时钟_自动贴边", plain<icon::dockTick>},
        {EventKind::Tick, "时钟_收缩窗口", plain<icon::shrinkTick>},
        {EventKind::MenuChosen, "自动弹出", plain<icon::selectAutoPopup>},
        {EventKind::MenuChosen, "双击弹出", plain<icon::selectClickPopup>},
        {EventKind::MenuChosen, "黑图标", plain<icon::selectBlackTheme>},
        {EventKind::MenuChosen, "蓝图标", plain<icon::selectBlueTheme>},
        {EventKind::MenuChosen, "自动贴边", plain<icon::toggleAutoDock>},
        {EventKind::MenuChosen, "测试", plain<icon::chooseTest>},
        {EventKind::MenuChosen, "退出", plain<icon::chooseExit>},
    },
};
