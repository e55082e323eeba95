#!/usr/bin/env bash
# Runs a Windows executable (a test program) under Wine on a virtual X display and
# exits with its exit code. Starts Xvfb on a free display unless WIDGET_DISPLAY names
# one, uses the project's Wine prefix under build/, and stops what it started.
# Usage: scripts/wine_test.sh EXE [ARGS...]
# Env: WIDGET_SKIP_WINE=1 skips (exit 0) with a message; WIDGET_DISPLAY=:N reuses a
# display; WINE_TEST_TIMEOUT limits the run (seconds, default 900).
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
say() { printf 'wine-test: %s\n' "$*" >&2; }

if [ "${WIDGET_SKIP_WINE:-0}" = "1" ]; then
  say "skipped: WIDGET_SKIP_WINE=1"
  exit 0
fi
[ $# -ge 1 ] || { say "usage: $0 EXE [ARGS...]"; exit 2; }
exe="$1"
shift
if [ ! -f "$exe" ]; then
  say "$exe not found: build the windows preset first (cmake --preset windows && cmake --build --preset windows)"
  exit 1
fi
command -v wine >/dev/null || { say "wine is not installed (scripts/install_deps.sh wine)"; exit 1; }

export WINEPREFIX="${WINEPREFIX:-$root/build/wine-prefix}"
export WINEDEBUG=-all
# NOTE: Debian packages neither mono nor gecko; without this Wine offers to
# download them in a dialog and waits on it.
export WINEDLLOVERRIDES="mscoree,mshtml="
timeout_s="${WINE_TEST_TIMEOUT:-900}"

xvfb_pid=""
started_server=0
cleanup() {
  if [ "$started_server" = 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- the display --------------------------------------------------------------
if [ -n "${WIDGET_DISPLAY:-}" ]; then
  export DISPLAY="$WIDGET_DISPLAY"
else
  command -v Xvfb >/dev/null || { say "Xvfb is not installed (scripts/install_deps.sh wine)"; exit 1; }
  source "$root/scripts/virtual_display.sh"
  start_virtual_display 90 189 || true
  [ -n "$xvfb_pid" ] || { say "no free X display found"; exit 1; }
fi

# --- the prefix (one preparation at a time) ------------------------------------
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock -w 600 9 || { say "timed out waiting for the prefix lock"; exit 1; }
  if [ -f "$root/scripts/wine_prefix.sh" ]; then
    bash "$root/scripts/wine_prefix.sh" "$WINEPREFIX" >&2
  elif [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 600 wineboot -i >/dev/null 2>&1 && wineserver -w
  fi
) 9>"$WINEPREFIX.lock" || { say "preparing the Wine prefix failed"; exit 1; }

# The prefix's server socket tells whether another run's wineserver is already up.
server_socket() {
  local dev ino
  dev=$(stat -c %d "$WINEPREFIX") ino=$(stat -c %i "$WINEPREFIX")
  printf '/tmp/.wine-%s/server-%x-%x/socket' "$(id -u)" "$dev" "$ino"
}
[ -S "$(server_socket)" ] || started_server=1

# --- the run ------------------------------------------------------------------
say "running $(basename "$exe") on display $DISPLAY"
timeout --kill-after=15 "$timeout_s" wine "$exe" "$@"
rc=$?
[ $rc -eq 124 ] && say "timed out after ${timeout_s}s"
exit $rc
