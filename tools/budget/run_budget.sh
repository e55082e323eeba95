#!/usr/bin/env bash
# The widget's resource budget under Wine: the widget, its icon breathing, beside a
# minimal window with the same timers, for MINUTES minutes with 20 panel openings and
# 3 shortened locks spread over the run. Prints the figures and writes them to
# docs/resource_budget.md. Usage: tools/budget/run_budget.sh [MINUTES] (default 30)
# Env: BUDGET_NO_DOC=1 leaves docs/ alone (trial runs).
set -uo pipefail

minutes="${1:-30}"
[[ "$minutes" =~ ^[0-9]+$ ]] && [ "$minutes" -ge 2 ] || { echo "usage: $0 [MINUTES >= 2]" >&2; exit 2; }
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/budget"
run="$out/run-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$run"
say() { printf 'budget: %s\n' "$*" | tee -a "$run/log.txt" >&2; }
die() { say "error: $*"; exit 1; }
command_line="tools/budget/run_budget.sh $*"

# --- building -----------------------------------------------------------------
bash "$root/scripts/install_deps.sh" windows wine >&2 || die "installing packages failed"
say "building the widget (windows preset) and the two budget programs"
(cd "$root" && cmake --preset windows >"$run/cmake.log" 2>&1 &&
  cmake --build --preset windows --target desk_widget >>"$run/cmake.log" 2>&1) ||
  { cat "$run/cmake.log" >&2; die "the widget did not build"; }
widget_exe="$root/build/windows/desk_widget.exe"
cxx=(i686-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -static)
"${cxx[@]}" -mwindows -o "$out/minimal_window.exe" "$root/tools/budget/minimal_window.cpp" || die "minimal_window.cpp"
"${cxx[@]}" -mwindows -municode -o "$out/floor_window.exe" "$root/tools/budget/floor_window.cpp" || die "floor_window.cpp"
"${cxx[@]}" -municode -o "$out/probe.exe" "$root/tools/budget/probe.cpp" -lpsapi || die "probe.cpp"
# The same program under another name: the probe check runs it beside the baseline.
cp "$out/minimal_window.exe" "$out/objects_check.exe"

# --- the lock's data and the prefix ----------------------------------------------
# The lock reads its wallpapers from D: and plays its song from E:; with them a lock
# does its real work (JPEG decoding, a player thread) rather than failing quietly.
demo="$out/demo"
bash "$root/tools/assets/make_demo_data.sh" "$demo/generated" >&2 || die "demo data"
mkdir -p "$demo/d/Vantrel/壁纸" "$demo/e/CloudMusic"
for i in $(seq 1 60); do cp -u "$demo/generated/wallpapers/sky-$i.jpg" "$demo/d/Vantrel/壁纸/"; done
cp -u "$demo/generated/music/song.mp3" "$demo/e/CloudMusic/Miravel - 这一生关于你的风景.mp3"

# NOTE: one wineserver per prefix, and the widget refuses a second instance in a
# session: this run has a prefix of its own, never the one the tests use.
export WINEPREFIX="$root/build/wine-prefix-budget" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
(
  flock -w 600 9 || exit 1
  bash "$root/scripts/wine_prefix.sh" "$WINEPREFIX" "$demo" >&2
) 9>"$WINEPREFIX.lock" || die "preparing the Wine prefix failed"
WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1  # a leftover of an earlier run

# --- display and clean-up ---------------------------------------------------------
xvfb_pid=""
cleanup() {
  trap - EXIT INT TERM
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; }
}
trap cleanup EXIT
trap 'say "interrupted"; exit 130' INT TERM
source "$root/scripts/virtual_display.sh"
start_virtual_display 160 259 || true
[ -n "$xvfb_pid" ] || die "no free X display"
say "display $DISPLAY, prefix $WINEPREFIX, results in $run"

# --- looking at processes and windows -------------------------------------------
source "$root/tools/budget/budget_lib.sh"

# Waits (polling, with a deadline in seconds) until the command succeeds.
wait_for() {
  local end
  end=$(( $(date +%s%N) / 1000000 + $(awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }') ))
  shift
  until "$@"; do
    [ "$(($(date +%s%N) / 1000000))" -ge "$end" ] && return 1
    sleep 0.1
  done
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# --- starting both --------------------------------------------------------------
away_x=1400 away_y=900  # a spot far from the icon, the panel and the lock's boxes
xdotool mousemove "$away_x" "$away_y"
(cd "$out" && exec setsid wine "$out/minimal_window.exe" >/dev/null 2>&1) &
(cd "$root/build/windows" && exec setsid wine "$widget_exe" >/dev/null 2>&1) &
# Reads the widget's own black frames, from beside the widget as the icon does.
(cd "$root/build/windows" && exec setsid wine "$out/floor_window.exe" 黑图标 >/dev/null 2>&1) &
wait_for 30 icon_docked || die "the widget's icon did not dock to the left edge"
wait_for 10 linux_pid minimal_window.exe >/dev/null || die "the minimal window did not start"
wait_for 10 linux_pid floor_window.exe >/dev/null || die "the floor window did not start"
wpid=$(linux_pid desk_widget.exe) mpid=$(linux_pid minimal_window.exe) fpid=$(linux_pid floor_window.exe)
spid=$(linux_pid wineserver)
say "widget pid $wpid, minimal window pid $mpid, floor window pid $fpid, wineserver pid $spid"

# The probe must see objects come: the baseline program, started again under another
# name, creates 25 brushes, windows, menus and events 5 s after its start, and the
# probe has to count 25 more GDI objects, windows and handles in it.
(cd "$out" && exec setsid wine "$out/objects_check.exe" --extra 25 >/dev/null 2>&1) &
wait_for 5 probe_has_windows objects_check.exe 1 || die "the probe check did not start"
check_before="$(probe objects_check.exe)"
[ "$(field "$check_before" user_windows)" -lt 25 ] || die "the probe check started too slowly to be seen before"
wait_for 15 probe_has_windows objects_check.exe "$(($(field "$check_before" user_windows) + 25))" ||
  die "the probe did not see the check's 25 windows come"
check_after="$(probe objects_check.exe)"
kill "$(linux_pid objects_check.exe)"
printf '%s\n%s\n' "$check_before" "$check_after" >"$run/probe_check.txt"
for k in gdi user_windows handles; do
  got=$(( $(field "$check_after" $k) - $(field "$check_before" $k) ))
  say "probe check: $k +$got for 25 created"
  [ "$got" -eq 25 ] || die "the probe does not count $k faithfully (+$got, expected +25)"
done
wait_for 10 eval "! linux_pid objects_check.exe >/dev/null" || say "the probe check did not end"

# --- the run --------------------------------------------------------------------
# 23 steps at equal distances, the locks at the 6th, 12th and 18th.
total_s=$((minutes * 60))
steps=()
for i in $(seq 1 23); do
  case $i in 6 | 12 | 18) steps+=(lock) ;; *) steps+=(panel) ;; esac
done
: >"$run/samples.tsv"
: >"$run/steps.tsv"
t0=$(now_ms)
sample() {  # one line of the Linux figures of both processes and the server
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$(( ($(now_ms) - t0) ))" "$(cut -d' ' -f1 /proc/loadavg)" \
    "$(cpu_ticks "$wpid")" "$(status_kb "$wpid" VmRSS)" "$(status_kb "$wpid" Threads)" \
    "$(cpu_ticks "$mpid")" "$(status_kb "$mpid" VmRSS)" "$(status_kb "$mpid" Threads)" "$(cpu_ticks "$spid")" \
    "$(cpu_ticks "$fpid")" "$(private_kb "$wpid")" "$(private_kb "$mpid")"
}
record() {  # kind ok open_ms close_ms before-sample: the step's line with both probes
  local after p
  p="$(probe desk_widget.exe minimal_window.exe | tr '\n' '|')"
  after="$(sample)"
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "$5" "$after" "$p" >>"$run/steps.tsv"
  printf '%s\n' "$after" >>"$run/samples.tsv"
}

first="$(sample)"
printf '%s\n' "$first" >>"$run/samples.tsv"
record start 1 - - "$first"
say "start: $(tail -n1 "$run/steps.tsv" | cut -f29 | cut -d'|' -f1 | cut -c1-160)"
for i in "${!steps[@]}"; do
  due=$(( total_s * 1000 * (i + 1) / 24 ))
  # Idle until the step is due: a light Linux-side sample every 10 seconds.
  while [ $(( $(now_ms) - t0 )) -lt "$due" ]; do
    left=$(( due - ($(now_ms) - t0) ))
    [ "$left" -gt 10000 ] && left=10000
    sleep "$(awk -v ms="$left" 'BEGIN { printf "%.3f", ms / 1000 }')"
    sample >>"$run/samples.tsv"
  done
  kind="${steps[$i]}"
  before="$(sample)"
  printf '%s\n' "$before" >>"$run/samples.tsv"
  if [ "$kind" = panel ]; then step_panel; else step_lock; fi
  record "$kind" "$step_ok" "$step_open" "$step_close" "$before"
  say "$kind $((i + 1))/23 ok=$step_ok open=${step_open}ms close=${step_close}ms: $(tail -n1 "$run/steps.tsv" | cut -f29 | cut -d'|' -f1 | cut -c1-160)"
done
while [ $(( $(now_ms) - t0 )) -lt $((total_s * 1000)) ]; do sleep 1; done
last="$(sample)"
printf '%s\n' "$last" >>"$run/samples.tsv"
record end 1 - - "$last"

# --- the figures --------------------------------------------------------------------
{
  echo "Command: \`$command_line\` (run $(date '+%Y-%m-%d %H:%M %Z'), $minutes minutes)"
  echo
  echo "Machine: $(nproc) cores, $(uname -r), $(wine --version); load average over the run:"\
    "$(awk -F'\t' '{ s += $2; n++; if ($2 > m) m = $2 } END { printf "mean %.2f, max %.2f", s / n, m }' "$run/samples.tsv")"\
    "(other engineers' builds and tests share the cores)."
  echo
  bash "$root/tools/budget/budget_report.sh" "$run"
} >"$run/report.md"
cat "$run/report.md"
if [ "${BUDGET_NO_DOC:-0}" != 1 ]; then
  {
    echo "# Resource budget under Wine"
    echo
    echo "The widget idling with its icon breathing, measured beside a minimal Win32 window that"
    echo "runs the same timers (1000, 120, 800 and 40 ms; the fifth timer has period 0) and does"
    echo "nothing on their ticks, and beside a floor window doing the least the idle icon must do"
    echo "(tools/budget/floor_window.cpp), all under one wineserver on a virtual X display. During the run"
    echo "the pointer opens the panel 20 times and starts 3 locks from the icon menu (测试), each"
    echo "ended at once by the emergency unlock. Produced by tools/budget/run_budget.sh; how each"
    echo "figure is obtained is at the end."
    echo
    cat "$run/report.md"
  } >"$root/docs/resource_budget.md"
  say "written to docs/resource_budget.md"
fi
