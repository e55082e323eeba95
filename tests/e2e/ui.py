"""What a person does with the widget, in steps the scenarios share: waiting for the
docked icon, opening the panel, picking menu items, counting coloured pixels."""

import re
import time

from xdesk import SCREEN_W, Failure, check, poll

ICON = 42
PANEL_W, PANEL_H = 435, 265
# Wine's pop-up menus: a 3-pixel frame around rows of equal height; a separator row is
# 9 pixels high.
MENU_FRAME, MENU_SEPARATOR = 3, 9


def docked_icon(desk, left=0, timeout=10):
    return poll(lambda: (lambda i: i if i and i.left == left else None)(desk.icon()), timeout,
                f"the icon docked at left {left}")


def drag_icon(desk, icon, x, y, docking=True):
    """Drags the icon by its centre to (x, y), quickly: see the report on drags in the
    automatic popup mode. While docking is on, the docking tick may put the icon on an
    edge in the middle of the drag, so only its height says it followed."""
    def followed():
        now = desk.icon()
        return now and now.top == y - ICON // 2 and (docking or now.left == x - ICON // 2)
    desk.drag(icon.left + ICON // 2, icon.top + ICON // 2, x, y, settled=followed)
    # NOTE: now and then Wine's move loop misses the release and the icon goes on
    # following the pointer; a person sees it and clicks to let go.
    dropped = desk.icon()

    def following():
        now = desk.icon()
        return now and (now.left, now.top) != (dropped.left, dropped.top) and now.top == dropped.top + 30

    for _ in range(3):
        desk.move(x + 30, y + 30)
        # A move still running shows itself by the icon following the pointer, which can
        # take a while when the widget is busy (the hover may have opened the panel).
        try:
            poll(following, 1.5, "the icon following after the drop")
            still_moving = True
        except Failure:
            still_moving = False
        if still_moving:
            desk.log("the drop was not taken; clicking to let go")
            # Back to the drop point, which the icon follows; the button is up already,
            # so only a new press and release there end the move.
            desk.move(x, y)
            poll(lambda: (lambda i: i and i.top == dropped.top)(desk.icon()), 5, "the icon back at the drop")
            desk.click(x, y)
            continue
        desk.move(x, y)
        return
    raise Failure("the icon kept following the pointer after three releases")


def hover_icon(desk, icon):
    desk.move(icon.left + ICON // 2, icon.top + ICON // 2)


def expected_panel_left(icon):
    """Beside the icon, on the side that faces the middle of the screen, 5 pixels apart."""
    return icon.left - PANEL_W - 5 if icon.left > SCREEN_W / 2 else icon.left + ICON + 5


def panel_at(desk, left, top, timeout=5):
    return poll(lambda: (lambda p: p if p and (p.left, p.top) == (left, top) else None)(desk.panel()),
                timeout, f"the panel at {left},{top}")


def open_panel(desk):
    """Hovers the docked icon until the panel has faded in beside it."""
    icon = docked_icon(desk)
    hover_icon(desk, icon)
    panel = panel_at(desk, expected_panel_left(icon), icon.top - 104)
    poll(lambda: desk.opacity(panel.xid) >= 230, 5, "the panel to fade in")
    return icon, panel


def panel_point(panel, left, top, width, height):
    """The screen point at the centre of a control of the panel."""
    return panel.left + left + width // 2, panel.top + top + height // 2


def menus(desk):
    return [w for w in desk.win_windows() if w.cls == "#32768" and w.visible]


def pick_menu_item(desk, index, rows, separators=(), known=0, x_offset=10, submenu=False):
    """Clicks row `index` (0-based, separators not counted) of the pop-up menu that has
    `rows` items and separators after the items listed; `known` menus were already open
    (a submenu comes on top of its parent). The click has been taken when the menu has
    closed, or, for a `submenu` row, when the submenu has opened."""
    menu = poll(lambda: (lambda ms: ms[known] if len(ms) > known else None)(
        sorted(menus(desk), key=lambda m: m.left)), 5, f"pop-up menu {known + 1}")
    inner = menu.height - 2 * MENU_FRAME - MENU_SEPARATOR * len(separators)
    check(inner % rows == 0, f"menu {menu} does not hold {rows} rows and {len(separators)} separators")
    row = inner // rows
    top = menu.top + MENU_FRAME + row * index + MENU_SEPARATOR * sum(1 for s in separators if s < index)
    x, y = menu.left + x_offset, top + row // 2
    # The strip looked at is the left end of the row, which the panel never covers.
    strip = (menu.left + MENU_FRAME, top, 16, row)
    before = desk.snapshot(*strip)

    def taken():
        open_now = menus(desk)
        if submenu:
            return len(open_now) > known + 1
        return all(m.handle != menu.handle for m in open_now)
    # NOTE: now and then (a few in a hundred) Wine's menu takes neither the pointer's
    # arrival nor a click; a person points again and clicks again.
    for attempt in range(3):
        desk.move(x + attempt, y)
        try:
            poll(lambda: desk.snapshot(*strip) != before, 1.5, f"menu item {index} to be highlighted")
            desk.click(x + attempt, y)
            poll(taken, 1.5, f"menu item {index} to be taken")
            return menu
        except Failure as e:
            desk.log(f"menu: {e}; pointing again")
    raise Failure(f"menu item {index} of {menu} was not taken after three tries")


def icon_menu(desk, icon, index):
    """Right-clicks the icon and picks an item of its menu: 0 弹出方式, 1 选择图标,
    2 自动贴边, 3 测试, 4 退出."""
    desk.click(icon.left + ICON // 2, icon.top + ICON // 2, button=3)
    # NOTE: the menu pops up beside the icon, under the panel when the hover opened it
    # (see the report); its left strip stays reachable.
    return pick_menu_item(desk, index, rows=5, separators=(4,), x_offset=8, submenu=index < 2)


def icon_submenu(desk, icon, index, sub_index):
    icon_menu(desk, icon, index)
    pick_menu_item(desk, sub_index, rows=2, known=1, x_offset=30)
    poll(lambda: not menus(desk), 5, "the menus to close")


def count(pixel, x, y, w, h, test):
    return sum(1 for py in range(y, y + h) for px in range(x, x + w) if test(*pixel(px, py)))


def light(r, g, b):
    return r > 180 and g > 180 and b > 180


def red(r, g, b):
    return r > 180 and g < 90 and b < 90


def green(r, g, b):
    return g > 180 and r < 120 and b < 120


def blue(r, g, b):
    return b > 120 and b > r + 50


def grey_face(r, g, b):
    return r > 190 and max(r, g, b) - min(r, g, b) < 12


def on_screen(desk, dialog):
    """Whether the dialog is really seen, not buried under another window: most of its
    area shows the grey face of a dialog."""
    x, y, w, h = dialog.left, dialog.top, dialog.width, dialog.height
    return count(desk.grab(x, y, w, h), x, y, w, h, grey_face) > w * h * 0.4


def dialog_with(desk, text, timeout=8):
    """The dialog (message or input box) saying `text`, once it can be seen on screen."""
    def shown():
        d = next((d for d in desk.dialogs() if text in d.texts or text in d.title), None)
        return d if d and on_screen(desk, d) else None
    return poll(shown, timeout, f"a dialog saying {text!r} to be seen")


def controls(dialog):
    """The visible controls of a dialog: (class, text, left, top, width, height)."""
    found = []
    for item in dialog.texts.split(" | ") if dialog.texts else []:
        m = re.fullmatch(r"([^:]*):(.*)@(-?\d+),(-?\d+),(\d+),(\d+)", item)
        if m:
            found.append((m.group(1), m.group(2), *(int(v) for v in m.groups()[2:])))
    return found


def click_control(desk, dialog, cls, text=""):
    """Clicks the centre of the dialog's first control of that class whose text holds `text`."""
    for c, t, x, y, w, h in controls(dialog):
        if c.lower() == cls.lower() and text in t:
            desk.click(x + w // 2, y + h // 2)
            return
    raise Failure(f"no {cls} {text!r} in dialog {dialog.title!r}: {controls(dialog)}")


def answer_dialog(desk, dialog, button="OK"):
    click_control(desk, dialog, "Button", button)
    poll(lambda: all(d.handle != dialog.handle for d in desk.dialogs()), 5, f"dialog {dialog.texts!r} to close")
