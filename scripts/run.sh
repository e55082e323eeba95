#!/usr/bin/env bash
# Runs the widget under Wine: installs what is missing, builds the Windows executable,
# prepares the project's Wine prefix with the demo wallpapers and song on its drives
# D: and E:, and starts the widget on the current X display or on a virtual one.
# Ctrl+C stops it and everything this script started (the prefix's wineserver, Xvfb).
# Env: WIDGET_DISPLAY=:N uses that display instead of $DISPLAY or a new Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
say() { printf 'run: %s\n' "$*"; }

# native: the demo data tool; tools: lame for the demo song.
bash scripts/install_deps.sh native windows wine tools

say "building the Windows executable"
cmake --preset windows >build-windows-configure.log 2>&1 || { cat build-windows-configure.log; exit 1; }
rm -f build-windows-configure.log
cmake --build --preset windows --target desk_widget 2>&1 | grep -E "error|warning" || true
exe="$root/build/windows/desk_widget.exe"
[ -f "$exe" ] || { say "the build did not produce $exe"; exit 1; }

# --- demo data: what the lock screen reads from D: and E: -------------------------
demo="$root/build/demo"
bash tools/assets/make_demo_data.sh "$demo/generated"
mkdir -p "$demo/d/Vantrel/壁纸" "$demo/e/CloudMusic"
for i in $(seq 1 60); do
  cp -u "$demo/generated/wallpapers/sky-$i.jpg" "$demo/d/Vantrel/壁纸/sky-$i.jpg"
done
cp -u "$demo/generated/music/song.mp3" "$demo/e/CloudMusic/Miravel - 这一生关于你的风景.mp3"

# --- the prefix (one preparation at a time, shared with scripts/wine_test.sh) ------
export WINEPREFIX="$root/build/wine-prefix"
export WINEDEBUG=-all
# NOTE: Debian packages neither mono nor gecko; without this Wine offers to download
# them in a dialog and waits on it.
export WINEDLLOVERRIDES="mscoree,mshtml="
(
  flock -w 600 9 || { say "timed out waiting for the prefix lock"; exit 1; }
  bash scripts/wine_prefix.sh "$WINEPREFIX" "$demo"
) 9>"$WINEPREFIX.lock"

# --- the display -------------------------------------------------------------------
xvfb_pid=""
wine_pid=""
cleanup() {
  trap - EXIT INT TERM
  if [ -n "$wine_pid" ]; then
    kill "$wine_pid" 2>/dev/null || true
  fi
  # The widget's own processes and the helpers Wine started for it (explorer,
  # services) all hang on this prefix's server.
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  say "stopped"
}
trap cleanup EXIT
trap 'say "interrupted"; exit 130' INT TERM

display_works() { DISPLAY="$1" xdpyinfo >/dev/null 2>&1; }

if [ -n "${WIDGET_DISPLAY:-}" ]; then
  export DISPLAY="$WIDGET_DISPLAY"
elif [ -n "${DISPLAY:-}" ] && display_works "$DISPLAY"; then
  :
else
  source "$root/scripts/virtual_display.sh"
  start_virtual_display 50 149 1 || true
  [ -n "$xvfb_pid" ] || { say "no free X display found"; exit 1; }
  say "started a virtual display $DISPLAY (1920x1080)"
fi

# NOTE: a bare virtual display has no window manager: Wine would leave the captions of
# "managed" windows undrawn and their activation on a click to the missing manager, so
# there the widget's windows are unmanaged and Wine does both itself. On a desktop with
# a manager they stay managed. The setting is the widget's own (AppDefaults).
managed=Y
[ -n "$xvfb_pid" ] && managed=N
wine reg add 'HKCU\Software\Wine\AppDefaults\desk_widget.exe\X11 Driver' /v Managed /d "$managed" /f \
  >/dev/null 2>&1 || say "could not set the window management mode"

# --- the widget ----------------------------------------------------------------------
say "starting the widget on display $DISPLAY (Ctrl+C stops it)"
say "to look at it:  DISPLAY=$DISPLAY import -window root widget.png"
say "to hover it:    DISPLAY=$DISPLAY xdotool mousemove 20 512"
# The program reads its icon frames from the folders beside it; it makes its own
# directory current, so the caller's directory does not matter.
wine "$exe" &
wine_pid=$!
set +e
wait "$wine_pid"
rc=$?
set -e
wine_pid=""
say "the widget ended with exit code $rc"
exit "$rc"
