"""Scenarios of what the widget plays, captured from Wine's audio output (ALSA's file
plugin, see xdesk.ASOUND_CONF) and measured with sox: the emptied chime and the lock's
song with its pause and resume."""

import os
import re
import subprocess
import time

import ui
from xdesk import DEMO, SCREEN_H, SCREEN_W, check, holds, poll

RAW = ["-t", "raw", "-r", "44100", "-e", "signed", "-b", "16", "-c", "2"]
BYTES_PER_SECOND = 44100 * 4
BIN_PICTURE = (330, 155, 114, 113)


def captured(desk):
    try:
        return os.path.getsize(desk.sound_file)
    except FileNotFoundError:
        return 0


def sox_stat(args):
    r = subprocess.run(["sox", *args, "-n", "stat"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    stats = dict(re.findall(r"^(.+?):\s+(-?[\d.]+)\s*$", r.stderr, re.M))
    check("Length (seconds)" in stats, f"sox stat said: {r.stderr[:300]}")
    return {k.strip(): float(v) for k, v in stats.items()}


def steady(desk, seconds):
    """Waits until the capture stops growing for the given time; returns its size."""
    last = [captured(desk), None]

    def unchanged():
        now = captured(desk)
        if now != last[0]:
            last[0], last[1] = now, None
            return False
        last[1] = last[1] or time.monotonic()
        return time.monotonic() - last[1] >= seconds and now
    return poll(unchanged, 20, f"the sound capture to stay unchanged for {seconds}s", interval=0.05)


def emptied_chime(desk):
    _, panel = ui.open_panel(desk)
    desk.click(*ui.panel_point(panel, *BIN_PICTURE), button=3)
    ui.pick_menu_item(desk, 0, rows=1)  # 清空回收站
    poll(lambda: captured(desk) > 0, 5, "a sound to be played")
    steady(desk, 1.0)
    whole = sox_stat([*RAW, str(desk.sound_file)])
    check(abs(whole["Length (seconds)"] - 0.77) < 0.03, f"captured {whole['Length (seconds)']}s, want 0.77s")
    check(whole["Maximum amplitude"] > 0.2, f"the chime is silent: {whole}")
    # The panel stays open after emptying.
    check(desk.panel() is not None, "the panel closed after emptying the bin")


def song_length():
    song = DEMO / "e" / "CloudMusic" / "Miravel - 这一生关于你的风景.mp3"
    r = subprocess.run(["soxi", "-D", str(song)], stdout=subprocess.PIPE, text=True, check=True)
    return float(r.stdout)


def lock_song(desk):
    # NOTE: the capture's null device takes samples faster than real time, so the
    # song is judged by what was written, never by wall-clock durations.
    icon = ui.docked_icon(desk)
    ui.icon_menu(desk, icon, 3)  # 测试
    poll(lambda: desk.x_window(SCREEN_W, SCREEN_H), 10, "the lock screen")
    poll(lambda: captured(desk) > BYTES_PER_SECOND // 2, 10, "the song to start")
    desk.move(SCREEN_W // 2, SCREEN_H // 2)
    desk.key("space")
    paused_at = steady(desk, 0.6)
    holds(lambda: captured(desk) == paused_at, 1.0, "the song staying paused")
    desk.key("space")
    poll(lambda: captured(desk) > paused_at + BYTES_PER_SECOND // 2, 5, "the song to resume")
    total = steady(desk, 1.5)
    length = total / BYTES_PER_SECOND
    want = song_length()
    # Resumed where it paused: the whole song was written once, nothing twice or skipped.
    check(abs(length - want) < 0.5, f"captured {length:.2f}s of music, the song lasts {want:.2f}s")
    stats = sox_stat([*RAW, str(desk.sound_file)])
    check(stats["RMS     amplitude"] > 0.02, f"the captured song is silent: {stats}")


SCENARIOS = [
    ("emptied_chime", emptied_chime, True),
    ("lock_song", lock_song, True),
]
