# Starting a virtual X display for the widget and its tests. Sourced.

# Starts Xvfb (1920x1080, 24 bits) on the first free display number from FIRST to
# LAST and waits until it answers. Sets DISPLAY and xvfb_pid; returns 1 when no number
# was free. With OWN_SESSION=1 the server runs in a session of its own, so that Ctrl+C
# on the caller's terminal reaches only the caller, which stops the widget first.
# Usage: start_virtual_display FIRST LAST [OWN_SESSION]
start_virtual_display() {
  local first="$1" last="$2" own_session="${3:-0}" n _
  xvfb_pid=""
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    if [ "$own_session" = 1 ]; then
      setsid Xvfb ":$n" -nolisten tcp -screen 0 1920x1080x24 >/dev/null 2>&1 &
    else
      Xvfb ":$n" -nolisten tcp -screen 0 1920x1080x24 >/dev/null 2>&1 &
    fi
    xvfb_pid=$!
    for _ in $(seq 100); do
      DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
      export DISPLAY=":$n"
      return 0
    fi
    # Another program took the number in the meantime: try the next one.
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  return 1
}
