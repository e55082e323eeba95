#!/usr/bin/env bash
# Prints the widget's timings side by side: the native build and the Windows build
# under Wine. Usage: tools/bench/compare.sh [NATIVE_BUILD_DIR] [WINDOWS_BUILD_DIR]
# (defaults: build/native and build/windows; both need the widget_bench target built).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
native="${1:-$root/build/native}/tools/bench/widget_bench"
windows="${2:-$root/build/windows}/tools/bench/widget_bench.exe"
[ -x "$native" ] || { echo "missing $native: cmake --build <native dir> --target widget_bench" >&2; exit 1; }
[ -f "$windows" ] || { echo "missing $windows: cmake --build --preset windows --target widget_bench" >&2; exit 1; }

n="$("$native" "$root")"
w="$(bash "$root/scripts/wine_test.sh" "$windows" 2>/dev/null | tr -d '\r')"
value() { printf '%s\n' "$1" | awk -v k="$2" '$1 == k { print $2 }'; }
detail() { printf '%s\n' "$1" | awk -v k="$2" '$1 == k { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }

printf '%-22s %12s %12s   %s\n' "" "native" "under Wine" "what"
for k in breath_tick_ms wallpaper_change_ms; do
  printf '%-22s %12s %12s   %s\n' "$k" "$(value "$n" "$k")" "$(value "$w" "$k")" "$(detail "$n" "$k")"
done
