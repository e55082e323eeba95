"""The desktop the end-to-end tests drive: a virtual X display, the widget under Wine in
the tests' own prefix, the real pointer and keyboard (xdotool), window queries (xdotool,
xwininfo, the Windows probe), screenshots (import) and polling with deadlines."""

import dataclasses
import os
import re
import shutil
import subprocess
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = ROOT / "build"
WORK = BUILD / "e2e"
PREFIX = BUILD / "wine-prefix-e2e"
DEMO = BUILD / "demo"
WIDGET_EXE = Path(os.environ.get("WIDGET_EXE", BUILD / "windows" / "desk_widget.exe"))
SCREEN_W, SCREEN_H = 1920, 1080


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def poll(fn, timeout, what, interval=0.1):
    """Calls fn until it returns something true, or fails after timeout seconds with the
    last value seen; returns that true value."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = fn()
        if last:
            return last
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout}s waiting for {what}; last seen: {last!r}")
        time.sleep(interval)


def holds(fn, duration, what, interval=0.1):
    """Checks that fn stays true for the whole duration (a state that must last)."""
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        value = fn()
        if not value:
            raise Failure(f"{what} stopped holding: {value!r}")
        time.sleep(interval)


@dataclasses.dataclass
class XWindow:
    xid: int
    left: int
    top: int
    width: int
    height: int
    name: str


@dataclasses.dataclass
class WinWindow:
    """A top-level window as Windows sees it (from the probe)."""
    handle: int
    pid: int
    cls: str
    title: str
    left: int
    top: int
    width: int
    height: int
    visible: bool
    topmost: bool
    alpha: int
    enabled: bool
    texts: str
    client_x: int
    client_y: int
    foreground: bool


class Desk:
    """One virtual display with its own wineserver; the widget is started and stopped
    per scenario, the display lives for the whole run."""

    def __init__(self, log):
        self.log = log
        self.xvfb = None
        self.widget = None
        self.tray = None
        self.display = None
        self.docs = None  # where the README screenshots go, when they are retaken
        self.sound_file = WORK / "sound.raw"
        self.env = dict(os.environ)
        self.env.update(WINEPREFIX=str(PREFIX), WINEDEBUG="-all",
                        # NOTE: Debian has neither mono nor gecko; without this Wine
                        # offers their download in a dialog and waits on it.
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C.UTF-8",
                        TZ=daytime_tz())
        self.env.pop("ALSA_CONFIG_PATH", None)

    # --- the display ------------------------------------------------------------
    def start_display(self):
        for n in range(420, 520):
            if Path(f"/tmp/.X{n}-lock").exists() or Path(f"/tmp/.X11-unix/X{n}").exists():
                continue
            proc = subprocess.Popen(["Xvfb", f":{n}", "-nolisten", "tcp", "-screen", "0",
                                     f"{SCREEN_W}x{SCREEN_H}x24"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                    start_new_session=True)
            self.env["DISPLAY"] = f":{n}"
            try:
                poll(lambda: proc.poll() is None and self.run(["xdpyinfo"], check_rc=False).returncode == 0,
                     10, "the X server", interval=0.1)
            except Failure:
                proc.kill()
                proc.wait()
                continue
            self.xvfb, self.display = proc, f":{n}"
            self.log(f"display {self.display}")
            return
        raise Failure("no free X display")

    def close(self):
        self.stop_widget()
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
            self.xvfb = None

    def run(self, args, check_rc=True, timeout=30, env=None):
        r = subprocess.run(args, env=env or self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=timeout)
        if check_rc and r.returncode != 0:
            raise Failure(f"{args[0]} failed ({r.returncode}): {r.stderr.decode(errors='replace')[:400]}")
        return r

    # --- the widget ---------------------------------------------------------------
    def start_widget(self, sound=False):
        """A fresh wineserver, the taskbar made visible, then the widget; with sound,
        its audio goes to a raw capture file (44100 Hz, stereo, 16-bit)."""
        self.run(["wineserver", "-k"], check_rc=False)
        self.run(["wineserver", "-w"], check_rc=False)
        for f in (PREFIX / "drive_c" / "e2e" / "opened.txt", self.sound_file):
            f.unlink(missing_ok=True)
        # NOTE: Wine's explorer hides its taskbar window again while it starts up, so
        # the probe shows it until it stays visible.
        poll(self.show_taskbar, 30, "the taskbar window to stay visible", interval=0.5)
        env = dict(self.env)
        if sound:
            env["ALSA_CONFIG_PATH"] = str(WORK / "asound.conf")
        self.widget = subprocess.Popen(["wine", str(WIDGET_EXE)], env=env, cwd=str(WORK),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def show_taskbar(self):
        if self.tray is None:
            proc = subprocess.Popen(["wine", r"C:\e2e\probe.exe", "tray"], env=self.env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                proc.wait(15)
            except subprocess.TimeoutExpired:
                # No taskbar in this Wine: the probe's stand-in runs until the
                # wineserver is stopped.
                self.tray = proc
        if not self.taskbar_visible():
            return False
        time.sleep(0.5)  # it has to stay visible, not just flash up
        return self.taskbar_visible()

    def stop_widget(self):
        if self.widget and self.widget.poll() is None:
            self.widget.kill()
        if self.widget:
            try:
                self.widget.wait(10)
            except subprocess.TimeoutExpired:
                pass
        self.widget = None
        self.run(["wineserver", "-k"], check_rc=False)
        if self.tray:
            self.tray.wait(10)
            self.tray = None

    # --- windows --------------------------------------------------------------------
    def x_windows(self):
        """The widget's visible X windows larger than 1 x 1 (Wine maps each top-level
        window to one X window)."""
        r = self.run(["xdotool", "search", "--onlyvisible", "--class", "desk_widget"], check_rc=False)
        found = []
        for xid in r.stdout.decode().split():
            info = self.run(["xwininfo", "-id", xid], check_rc=False).stdout.decode(errors="replace")
            if "IsViewable" not in info:
                continue
            num = {k: int(v) for k, v in re.findall(r"(Absolute upper-left [XY]|Width|Height):\s+(-?\d+)", info)}
            if len(num) < 4 or (num["Width"] <= 1 and num["Height"] <= 1):
                continue
            name = re.search(r'xwininfo: Window id: \S+ (.*)', info)
            found.append(XWindow(int(xid), num["Absolute upper-left X"], num["Absolute upper-left Y"],
                                 num["Width"], num["Height"], name.group(1) if name else ""))
        return found

    def x_window(self, width, height):
        ws = [w for w in self.x_windows() if (w.width, w.height) == (width, height)]
        return ws[0] if ws else None

    def icon(self):
        return self.x_window(42, 42)

    def panel(self):
        return self.x_window(435, 265)

    def win_windows(self):
        out = self.run(["wine", r"C:\e2e\probe.exe", "list"], timeout=30).stdout.decode(errors="replace")
        ws = []
        for line in out.splitlines():
            f = line.split("\t")
            if len(f) < 12:
                continue
            l, t, w, h = (int(v) for v in f[4].split())
            cx, cy = (int(v) for v in f[10].split())
            ws.append(WinWindow(int(f[0]), int(f[1]), f[2], f[3], l, t, w, h, f[5] == "1", f[6] == "1",
                                int(f[7]), f[8] == "1", f[9], cx, cy, f[11] == "1"))
        return ws

    def taskbar_visible(self):
        return any(w.cls == "Shell_TrayWnd" and w.visible for w in self.win_windows())

    def dialogs(self):
        """Visible dialog boxes (message and input boxes) with their texts."""
        return [w for w in self.win_windows() if w.cls == "#32770" and w.visible]

    def opacity(self, xid):
        """The layered opacity Wine gave the X window (0..255), 255 when none is set."""
        r = self.run(["xprop", "-id", str(xid), "_NET_WM_WINDOW_OPACITY"], check_rc=False)
        m = re.search(r"= (\d+)", r.stdout.decode())
        return round(int(m.group(1)) * 255 / 0xFFFFFFFF) if m else 255

    def opened(self):
        """What the shell was asked to open, as our URL recorder saw it."""
        f = PREFIX / "drive_c" / "e2e" / "opened.txt"
        return f.read_text(encoding="utf-8").splitlines() if f.exists() else []

    def wine_command_lines(self):
        """Command lines of the running Windows processes (Wine shows them as the
        Linux process arguments)."""
        r = subprocess.run(["ps", "-eo", "args"], stdout=subprocess.PIPE, text=True)
        return r.stdout.splitlines()

    # --- pointer and keyboard -----------------------------------------------------------
    def move(self, x, y):
        self.run(["xdotool", "mousemove", str(x), str(y)])

    def click(self, x, y, button=1, repeat=1):
        if repeat > 1:
            self.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(repeat),
                      "--delay", "80", str(button)])
            return
        # Held for a moment, as a finger does.
        self.run(["xdotool", "mousemove", str(x), str(y), "mousedown", str(button)])
        time.sleep(0.05)
        self.run(["xdotool", "mouseup", str(button)])

    def drag(self, x0, y0, x1, y1, settled=None, steps=6):
        """Presses on (x0, y0), travels to (x1, y1) and releases, at a hand's pace: the
        widget starts the system's move after the press has been handled. With `settled`,
        the release waits until the window has followed the pointer there."""
        self.run(["xdotool", "mousemove", str(x0), str(y0), "mousedown", "1"])
        time.sleep(0.1)
        for i in range(1, steps + 1):
            self.run(["xdotool", "mousemove", str(x0 + (x1 - x0) * i // steps), str(y0 + (y1 - y0) * i // steps)])
        if settled:
            # NOTE: Wine's move loop sometimes misses the last motion; a hand would
            # wiggle the pointer until the window caught up.
            def caught_up():
                if settled():
                    return True
                self.run(["xdotool", "mousemove", str(x1 + 1), str(y1), "mousemove", str(x1), str(y1)])
                return False
            poll(caught_up, 2, "the dragged window to follow the pointer", interval=0.15)
        time.sleep(0.1)
        self.run(["xdotool", "mouseup", "1"])

    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "60", *keys])

    def type(self, text):
        self.run(["xdotool", "type", "--delay", "60", text])

    # --- pictures ------------------------------------------------------------------------
    def screenshot(self, path, crop=None, scale=None):
        args = ["import", "-window", "root"]
        if crop:
            x, y, w, h = crop
            args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
        if scale:
            # A small picture for the README: 8 bits, 256 colours.
            args += ["-resize", scale, "-depth", "8", "-colors", "256"]
        Path(path).parent.mkdir(parents=True, exist_ok=True)
        self.run(args + [str(path)], timeout=60)

    def snapshot(self, x, y, w, h):
        """The RGB bytes of a screen rectangle, row by row."""
        data = self.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                         "-depth", "8", "rgb:-"], timeout=60).stdout
        check(len(data) == w * h * 3, f"screen grab gave {len(data)} bytes for {w}x{h}")
        return data

    def grab(self, x, y, w, h):
        """Pixels of a screen rectangle: a function (x, y) -> (r, g, b) in screen coordinates."""
        data = self.snapshot(x, y, w, h)

        def pixel(px, py):
            i = ((py - y) * w + (px - x)) * 3
            return data[i], data[i + 1], data[i + 2]
        return pixel


def daytime_tz():
    """A time zone in which it is now about noon, so that the lock's daytime music
    plays and no rest lock or armed shutdown comes due whenever the tests run."""
    utc_hour = time.gmtime().tm_hour
    offset = 12 - utc_hour  # local = UTC + offset
    # POSIX TZ counts the other way round: "E2E-3" is three hours ahead of UTC.
    return f"E2E{-offset:+d}".replace("+", "")


def prepare_prefix(log):
    """The tests' own Wine prefix (kept apart from build/wine-prefix, which run.sh and the
    Win32 tests use, so that our stand-ins never reach them): the project's settings with
    the demo drives, the probe, audio through ALSA and our recorder as the https handler."""
    WORK.mkdir(parents=True, exist_ok=True)
    probe = WORK / "probe.exe"
    src = ROOT / "tools" / "e2e" / "probe.cpp"
    if not probe.exists() or probe.stat().st_mtime < src.stat().st_mtime:
        subprocess.run(["i686-w64-mingw32-g++", "-std=c++20", "-O2", "-static", "-o", str(probe), str(src),
                        "-luser32", "-lgdi32"], check=True)
    subprocess.run(["bash", str(ROOT / "tools" / "assets" / "make_demo_data.sh"), str(DEMO / "generated")],
                   check=True, stdout=subprocess.DEVNULL)
    wall = DEMO / "d" / "Vantrel" / "壁纸"
    music = DEMO / "e" / "CloudMusic"
    wall.mkdir(parents=True, exist_ok=True)
    music.mkdir(parents=True, exist_ok=True)
    for i in range(1, 61):
        dst = wall / f"sky-{i}.jpg"
        if not dst.exists():
            shutil.copyfile(DEMO / "generated" / "wallpapers" / f"sky-{i}.jpg", dst)
    song = music / "Miravel - 这一生关于你的风景.mp3"
    if not song.exists():
        shutil.copyfile(DEMO / "generated" / "music" / "song.mp3", song)

    (WORK / "asound.conf").write_text(ASOUND_CONF.replace("@FILE@", str(WORK / "sound.raw")))

    env = dict(os.environ, WINEPREFIX=str(PREFIX), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    lock = f"{PREFIX}.lock"
    subprocess.run(["flock", "-w", "600", lock, "bash", str(ROOT / "scripts" / "wine_prefix.sh"), str(PREFIX),
                    str(DEMO)], check=True, env=env, stdout=subprocess.DEVNULL)
    dest = PREFIX / "drive_c" / "e2e"
    dest.mkdir(parents=True, exist_ok=True)
    if not (dest / "probe.exe").exists() or (dest / "probe.exe").read_bytes() != probe.read_bytes():
        shutil.copyfile(probe, dest / "probe.exe")
    stamp = PREFIX / ".e2e-stamp"
    want = "audio=alsa;https=probe record;unmanaged v2"
    if not stamp.exists() or stamp.read_text() != want:
        log("registering the probe as the https handler, ALSA as the audio driver, unmanaged windows")
        reg = [
            ["reg", "add", r"HKCR\https\shell\open\command", "/ve", "/d", r'"C:\e2e\probe.exe" record "%1"', "/f"],
            ["reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Audio", "/d", "alsa", "/f"],
            # NOTE: the virtual display has no window manager: Wine then leaves the
            # captions of "managed" windows undrawn and their activation on a click to
            # the missing manager. Unmanaged, Wine draws and activates them itself, as
            # Windows does.
            ["reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"],
        ]
        for args in reg:
            subprocess.run(["flock", "-w", "600", lock, "wine", *args], check=True, env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env)
        stamp.write_text(want)


# NOTE: ALSA_CONFIG_PATH replaces the whole configuration, so the system's is included
# first. The file plugin over a null device writes every sample the widget plays; plug
# converts whatever format Wine opens with to one fixed raw format.
ASOUND_CONF = """</usr/share/alsa/alsa.conf>
pcm.!default {
  type plug
  slave { pcm "widget_capture"; format S16_LE; rate 44100; channels 2 }
}
pcm.widget_capture {
  type file
  slave.pcm { type null }
  file "@FILE@"
  format "raw"
}
"""
