"""Scenarios of the rest lock (started from the icon menu's 测试) with its emergency
unlock, and of the timed-shutdown window opened from the panel's shutdown menu."""

import re

import ui
from xdesk import SCREEN_H, SCREEN_W, check, holds, poll

# Labels of the lock window (they keep their unit positions on the full screen).
CLOCK_LABEL = (127, 252, 336, 80)
COUNTDOWN_LABEL = (228, 368, 124, 20)
# Controls of the shutdown window, in its client area.
HOUR_BOX = (17, 4, 98, 93)
MINUTE_BOX = (161, 4, 100, 93)
ARMED_LABEL = (64, 99, 150, 20)
SHUTDOWN_PICTURE = (102, 171, 56, 56)


def lock_window(desk):
    return desk.x_window(SCREEN_W, SCREEN_H)


def lock_menu(desk, index):
    """Right-click on the lock: 0 切换壁纸, 1 紧急解锁."""
    desk.click(SCREEN_W // 2, SCREEN_H // 2, button=3)
    ui.pick_menu_item(desk, index, rows=2)


def unlock_with(desk, password):
    lock_menu(desk, 1)
    box = ui.dialog_with(desk, "请输入解锁密码")
    check(box.title == "提示信息：", f"input box title {box.title!r}")
    ui.click_control(desk, box, "Edit")
    desk.type(password)
    desk.key("Return")
    return box


def rest_lock(desk):
    icon = ui.docked_icon(desk)
    check(desk.taskbar_visible(), "the taskbar was not visible before the lock")
    ui.icon_menu(desk, icon, 3)  # 测试
    lock = poll(lambda: lock_window(desk), 10, "the lock to cover the screen")
    check((lock.left, lock.top) == (0, 0), f"lock window at {lock}")
    poll(lambda: desk.icon() is None, 5, "the icon to go to sleep")
    poll(lambda: not desk.taskbar_visible(), 5, "the taskbar to be hidden")

    def label_pixels(rect, test):
        x, y, w, h = rect
        return ui.count(desk.grab(x, y, w, h), x, y, w, h, test)
    poll(lambda: label_pixels(CLOCK_LABEL, ui.green) > 300, 5, "the clock to be drawn")
    poll(lambda: label_pixels(COUNTDOWN_LABEL, ui.red) > 40, 5, "the countdown label to be drawn")
    x, y, w, h = COUNTDOWN_LABEL
    before = desk.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "rgb:-"]).stdout
    poll(lambda: desk.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "rgb:-"]).stdout != before,
         4, "the countdown to tick")
    if desk.docs:
        desk.screenshot(desk.docs / "screenshot_lock.png", scale="960x540")

    # A wrong password is refused and the lock goes on.
    box = unlock_with(desk, "quietForest")
    wrong = ui.dialog_with(desk, "密码错误")
    check(all(d.handle != box.handle for d in desk.dialogs()), "the input box stayed open")
    ui.answer_dialog(desk, wrong)
    holds(lambda: lock_window(desk) is not None, 1.5, "the lock after a wrong password")

    # The right one ends it: the icon and the taskbar come back.
    unlock_with(desk, "quietforest")
    poll(lambda: lock_window(desk) is None, 5, "the lock to end")
    poll(lambda: desk.icon() is not None, 5, "the icon to come back")
    poll(desk.taskbar_visible, 5, "the taskbar to come back")
    check(not desk.dialogs(), f"dialogs left open: {desk.dialogs()}")


def shutdown_window(desk):
    return next((w for w in desk.win_windows() if w.title == "定时关机" and w.visible), None)


def client_point(win, rect):
    x, y, w, h = rect
    return win.client_x + x + w // 2, win.client_y + y + h // 2


def type_into(desk, win, rect, text):
    desk.click(*client_point(win, rect))
    desk.key("End", "BackSpace", "BackSpace", "BackSpace", "BackSpace")
    desk.type(text)


def timed_shutdown(desk):
    _, panel = ui.open_panel(desk)
    desk.click(*ui.panel_point(panel, *SHUTDOWN_PICTURE))
    ui.pick_menu_item(desk, 2, rows=3)  # 定时关机
    win = poll(lambda: shutdown_window(desk), 10, "the timed-shutdown window")
    poll(lambda: desk.panel() is None, 5, "the panel to close")

    def armed_label_pixels():
        x, y = win.client_x + ARMED_LABEL[0], win.client_y + ARMED_LABEL[1]
        return ui.count(desk.grab(x, y, ARMED_LABEL[2], ARMED_LABEL[3]), x, y, ARMED_LABEL[2],
                        ARMED_LABEL[3], ui.red)
    check(armed_label_pixels() == 0, "the armed-time label shows before anything was armed")

    # An hour of 25 is refused and arms nothing.
    type_into(desk, win, HOUR_BOX, "25")
    desk.key("Return")
    refusal = ui.dialog_with(desk, "别瞎搞已经超出24小时了！！！")
    check(refusal.title == "提示信息：", f"refusal title {refusal.title!r}")
    ui.answer_dialog(desk, refusal)
    check(armed_label_pixels() == 0, "the armed-time label shows after a refused hour")

    # A valid time: the confirmation, then the label.
    type_into(desk, win, HOUR_BOX, "23")
    type_into(desk, win, MINUTE_BOX, "59")
    desk.key("Return")
    confirm = ui.dialog_with(desk, "关机时间:  23 ：59")
    check("开始倒计时关机" in confirm.texts, f"confirmation says {confirm.texts!r}")
    ui.answer_dialog(desk, confirm)
    poll(lambda: armed_label_pixels() > 30, 5, "the armed-time label to show")
    if desk.docs:
        desk.screenshot(desk.docs / "screenshot_shutdown.png",
                        crop=(win.left - 20, win.top - 20, win.width + 40, win.height + 40))

    # Closing an armed window only hides it, without asking.
    desk.click(*client_point(win, MINUTE_BOX))
    desk.key("Escape")
    poll(lambda: shutdown_window(desk) is None, 5, "the armed window to hide")
    check(not desk.dialogs(), f"closing the armed window asked: {desk.dialogs()}")
    check(any(w.title == "定时关机" for w in desk.win_windows()), "the armed window was destroyed")
    check(not any(re.match(r"(?i)shutdown(\.exe)?( |$)", line) for line in desk.wine_command_lines()),
          "a shutdown command was started")


SCENARIOS = [
    ("rest_lock", rest_lock, False),
    ("timed_shutdown", timed_shutdown, False),
]
