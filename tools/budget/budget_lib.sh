# What run_budget.sh uses to look at Wine processes from Linux and from Windows, to
# find the widget's windows on the X display, and to drive the panel and the lock with
# the real pointer and keyboard. Sourced; expects WINEPREFIX, DISPLAY, out, say,
# wait_for, now_ms, away_x and away_y.

# The Linux pid of a process of this run's prefix by its executable's file name
# (wineserver for the server). Other engineers' Wine processes have other prefixes.
linux_pid() {
  local want="${1,,}" p arg0 name
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    if [ "$want" = wineserver ]; then
      [[ "$({ cat "$p/comm"; } 2>/dev/null)" == wineserver* ]] || continue
    else
      arg0="$({ tr '\0' '\n' <"$p/cmdline"; } 2>/dev/null | head -n1)"
      name="${arg0##*/}"
      name="${name##*\\}"
      [ "${name,,}" = "$want" ] || continue
    fi
    echo "${p#/proc/}"
    return 0
  done
  return 1
}

# User plus system time of all the process's threads, in clock ticks.
cpu_ticks() {
  # The fields after the ")" that closes the command name: utime is the 12th, stime the 13th.
  sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | awk '{ print $12 + $13 }'
}

status_kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status" 2>/dev/null; }
# Resident memory of the process's own: anonymous and shared-memory pages, without the
# pages of files (libraries, fonts) that other processes can share.
private_kb() { echo $(( $(status_kb "$1" RssAnon) + $(status_kb "$1" RssShmem) )); }

# The probe's lines (one per process) for the given executable names.
probe() { wine "$out/probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# One key=value field of a probe line.
field() { tr ' ' '\n' <<<"$1" | sed -n "s/^$2=//p"; }

probe_has_windows() { [ "$(field "$(probe "$1")" user_windows)" -ge "$2" ] 2>/dev/null; }

# The widget's visible windows on the display: "id left top width height name" a line.
# Names are asked only of windows that are neither the icon, the panel nor the lock.
xwins() {
  local id X Y WIDTH HEIGHT name
  for id in $(xdotool search --onlyvisible --classname desk_widget.exe 2>/dev/null); do
    X=0 Y=0 WIDTH=0 HEIGHT=0
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    name=""
    case "${WIDTH}x${HEIGHT}" in
      42x42 | 435x265 | 1920x1080) ;;
      *) name="$(xdotool getwindowname "$id" 2>/dev/null)" ;;
    esac
    echo "$id $X $Y $WIDTH $HEIGHT $name"
  done
}
has_size() { xwins | awk -v w="$1" -v h="$2" '$4 == w && $5 == h { f = 1 } END { exit !f }'; }
no_size() { ! has_size "$1" "$2"; }
icon_docked() { xwins | awk '$4 == 42 && $5 == 42 && $2 == 0 { f = 1 } END { exit !f }'; }
icon_centre() { xwins | awk '$4 == 42 && $5 == 42 { print $2 + 21, $3 + 21; exit }'; }
# A pop-up menu: a small nameless window that is not the icon.
has_menu() { xwins | awk '$4 < 300 && $5 < 300 && !($4 == 42 && $5 == 42) && NF == 5 { f = 1 } END { exit !f }'; }
has_named() { xwins | grep -qF " $1"; }
lock_over() { no_size 1920 1080 && has_size 42 42; }

step_ok=0 step_open=- step_close=-

# Pointer onto the icon until the panel is up and faded in, then away until it is gone.
step_panel() {
  step_ok=0 step_open=- step_close=-
  local at t
  at="$(icon_centre)"
  [ -n "$at" ] || { say "panel: the icon is not visible"; return; }
  t=$(now_ms)
  xdotool mousemove $at
  if ! wait_for 5 has_size 435 265; then
    say "panel: did not open within 5 s"
    xdotool mousemove "$away_x" "$away_y"
    return
  fi
  step_open=$(($(now_ms) - t))
  # Resting on it while it fades in (23 steps of 60 ms), as a user would.
  sleep 1.6
  t=$(now_ms)
  xdotool mousemove "$away_x" "$away_y"
  wait_for 10 no_size 435 265 || { say "panel: still open 10 s after the pointer left"; return; }
  step_close=$(($(now_ms) - t))
  step_ok=1
}

# 测试 from the icon's menu, then the emergency unlock through the lock's menu and
# the password box. open = menu command to full screen, close = Enter to icon back.
step_lock() {
  step_ok=0 step_open=- step_close=-
  local at t
  local attempt
  # NOTE: the pointer resting on the icon for the right click also opens the panel
  # (the docking tick runs inside the menu's loop), and the panel can then take the
  # menu's keys. A person would close it and try again; so does this, up to 3 times.
  for attempt in 1 2 3; do
    at="$(icon_centre)"
    [ -n "$at" ] || { say "lock: the icon is not visible"; return; }
    xdotool mousemove $at click 3
    if wait_for 3 has_menu; then
      t=$(now_ms)
      xdotool key Down Down Down Down Return  # 弹出方式, 选择图标, 自动贴边, 测试
      wait_for 8 has_size 1920 1080 && break
      say "lock: no full-screen window (attempt $attempt)"
    else
      say "lock: the icon menu did not open (attempt $attempt)"
    fi
    xdotool key Escape
    xdotool mousemove "$away_x" "$away_y"
    wait_for 10 no_size 435 265 || { say "lock: a panel stayed open"; return; }
    [ "$attempt" = 3 ] && return
  done
  step_open=$(($(now_ms) - t))
  # NOTE: while the lock raises itself (every 80 ms) it takes the keyboard focus back
  # from its own password box under Wine, and typed letters never reach the box. A
  # left click on the lock stops the raising first, as a user would find out.
  xdotool mousemove 960 300 click 1
  sleep 0.3
  xdotool click 3
  wait_for 3 has_menu || { say "lock: the lock menu did not open"; xdotool key Escape; return; }
  xdotool key Down Down Return  # 切换壁纸, 紧急解锁
  wait_for 5 has_named "提示信息" || { say "lock: no password box"; return; }
  xdotool type --delay 40 quietforest
  t=$(now_ms)
  xdotool key Return
  if ! wait_for 10 lock_over; then
    say "lock: still up 10 s after the password: $(xwins | tr '\n' ';')"
    xdotool key Return  # a wrong-password box, if that is what is up
    return
  fi
  step_close=$(($(now_ms) - t))
  # The panel may have opened while the pointer was on the icon for the menu.
  xdotool mousemove "$away_x" "$away_y"
  wait_for 10 no_size 435 265 || { say "lock: a panel stayed open"; return; }
  step_ok=1
}
